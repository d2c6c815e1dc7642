// Saving a file whole: the program's and the tool's one way to replace a
// file, on the build's own system (POSIX natively, Windows under Wine).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/whole_file.h"

namespace {

namespace fs = std::filesystem;

FileWriter Writes(const char* text, bool result)
{
    return [=](FILE* file) { return fputs(text, file) >= 0 && result; };
}

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(WholeFile, ReplacesTheFileWholeOrLeavesItAsItWas)
{
    const fs::path folder = fs::temp_directory_path() / ("kvr_whole_file_" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
    const fs::path target = folder / "site.dat";
    const std::string path = target.string();
    const std::vector<std::string> onlyTheFile = {"site.dat"};

    ASSERT_TRUE(SaveFileReplacing(path.c_str(), Writes("old settings", true)));
    EXPECT_EQ(Contents(target), "old settings");
#ifndef _WIN32
    chmod(path.c_str(), 0640);   // a file the user keeps private stays so
#endif
    // The writer fails half-way (a full disk): the old file stays, alone.
    EXPECT_FALSE(SaveFileReplacing(path.c_str(), Writes("new", false)));
    EXPECT_EQ(Contents(target), "old settings");
    EXPECT_EQ(Names(folder), onlyTheFile);

    EXPECT_TRUE(SaveFileReplacing(path.c_str(), Writes("new settings", true)));
    EXPECT_EQ(Contents(target), "new settings");
    EXPECT_EQ(Names(folder), onlyTheFile);
#ifndef _WIN32
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
#endif
    // A folder that is not there: nothing is written anywhere.
    EXPECT_FALSE(SaveFileReplacing((folder / "missing" / "site.dat").string().c_str(), Writes("x", true)));
    EXPECT_FALSE(SaveFileReplacing("", Writes("x", true)));
    EXPECT_EQ(Names(folder), onlyTheFile);
    fs::remove_all(folder);
}

} // namespace
