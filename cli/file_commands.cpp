#include "cli/file_commands.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "cli/compare.h"
#include "cli/platform.h"
#include "cli/report.h"
#include "cli/settings_report.h"
#include "cli/title_table.h"
#include "files/settings_file.h"
#include "platform/whole_file.h"

namespace {

// Past the reader's own limit, so that it says "too large" itself.
constexpr size_t kSettingsReadLimit = 2 << 20;

int Refuse(const std::string& text)
{
    fprintf(stderr, "kvr2840e-cli: %s\n", text.c_str());
    return kExitUsage;
}

bool ReadFileAt(const std::string& path, size_t limit, std::string& bytes, bool& tooLarge)
{
    tooLarge = false;
    FILE* file = OpenUtf8File(path, "rb");
    if (!file)
        return false;
    const bool read = ReadWholeFile(file, bytes, limit);
    tooLarge = !read && !ferror(file);
    fclose(file);
    return read || tooLarge;
}

std::unique_ptr<DeviceModelData> NewModel()
{
    auto model = std::make_unique<DeviceModelData>();
    ResetModelToStartValues(*model);
    return model;
}

// An -o file is replaced only with --force, as read-all's.
bool OutputAllowed(const ToolOptions& o)
{
    if (o.output.empty() || o.force || !FileExists(o.output))
        return true;
    Refuse(o.output + " exists; give --force to replace it");
    return false;
}

// Writes `contents` to -o (whole or not at all) or, without -o, to stdout as
// bytes; false when it could not, with `what` ("the report") refused.
bool WriteOutput(const ToolOptions& o, const std::string& contents, const std::string& what)
{
    if (o.output.empty()) {
        UseBinaryStdout();
        if (fwrite(contents.data(), 1, contents.size(), stdout) == contents.size() && fflush(stdout) == 0)
            return true;
        Refuse(what + " could not be written to stdout");
        return false;
    }
    if (SaveFileWhole(o.output, contents))
        return true;
    Refuse(what + " " + o.output + " could not be written");
    return false;
}

int ExportTitles(const ToolOptions& o)
{
    if (!OutputAllowed(o))
        return kExitUsage;
    auto model = NewModel();
    std::string bytes, error, table;
    if (!LoadSettingsFileAt(o.file, *model, bytes, error))
        return Refuse(error);
    std::vector<std::string> problems;
    if (!FormatTitleTable(*model, table, problems, o.bom)) {
        for (const std::string& problem : problems)
            Refuse(o.file + ": " + problem);
        return Refuse("no title table written");
    }
    if (!WriteOutput(o, table, "the title table"))
        return kExitUsage;
    fprintf(stderr, "titles export: the %d titles of %s written to %s\n", kMaxChannels, o.file.c_str(),
            o.output.empty() ? "stdout" : o.output.c_str());
    return kExitDone;
}

int ImportTitles(const ToolOptions& o)
{
    if (!OutputAllowed(o))
        return kExitUsage;
    auto before = NewModel();
    std::string bytes, error, table;
    if (!LoadSettingsFileAt(o.file, *before, bytes, error))
        return Refuse(error);
    bool tooLarge = false;
    if (!ReadFileAt(o.table, kTitleTableLimit, table, tooLarge))
        return Refuse("cannot open the title table " + o.table);

    auto after = std::make_unique<DeviceModelData>(*before);
    const TitleTableRead read = tooLarge ? TitleTableRead{0, {{0, "far larger than any title table"}}}
                                         : ApplyTitleTable(table.data(), table.size(), *after);
    const std::string kept = o.file + " is left as it was" + (o.output.empty() ? "" : ", no " + o.output + " written");
    if (!read.problems.empty()) {
        // The lines of a table in the other encoding than its author meant
        // make no sense: say which one it was read in.
        if (read.encoding == TableEncoding::kUtf8)
            Refuse(o.table + " was read as UTF-8");
        else if (read.encoding == TableEncoding::kCodePage932)
            Refuse(o.table + " was read as code page 932 (it is not UTF-8)");
        for (const TableProblem& p : read.problems)
            Refuse(o.table + (p.line > 0 ? " line " + std::to_string(p.line) : std::string()) + ": " + p.reason);
        return Refuse("nothing imported: " + kept);
    }

    std::vector<SettingDifference> changes;
    CompareSettings(*before, *after, changes);
    const std::string target = o.output.empty() ? o.file : o.output;
    // A table that changes nothing leaves the file alone, byte for byte
    // (whatever its line ends); -o then gets a copy of it.
    std::string contents = bytes;
    if (!changes.empty())
        FormatSettingsFile(*after, contents);
    const bool write = !changes.empty() || !o.output.empty();
    if (write && !SaveFileWhole(target, contents))
        return Refuse(target + " could not be written; " + kept);

    fprintf(stderr, "titles import: %d %s, ", read.rows, read.rows == 1 ? "row" : "rows");
    if (!changes.empty())
        fprintf(stderr, "%zu %s changed, %s written\n", changes.size(), changes.size() == 1 ? "setting" : "settings",
                target.c_str());
    else if (write)
        fprintf(stderr, "nothing changed, %s written as a copy of %s\n", target.c_str(), o.file.c_str());
    else
        fprintf(stderr, "nothing changed, %s left as it was\n", o.file.c_str());
    return kExitDone;
}

// Reads two settings files, the second only when its path is given; each
// that cannot be read is refused with its reason. True when all were read.
bool LoadBoth(const std::string& first, DeviceModelData& a, const std::string& second, DeviceModelData& b)
{
    std::string bytes, errorA, errorB;
    const bool readA = LoadSettingsFileAt(first, a, bytes, errorA);
    const bool readB = second.empty() || LoadSettingsFileAt(second, b, bytes, errorB);
    if (!readA)
        Refuse(errorA);
    if (!readB)
        Refuse(errorB);
    return readA && readB;
}

int Diff(const ToolOptions& o)
{
    auto a = NewModel(), b = NewModel();
    if (!LoadBoth(o.file, *a, o.secondFile, *b))
        return kExitUsage;
    std::vector<SettingDifference> differences;
    CompareSettings(*a, *b, differences);
    if (o.json) {
        WriteJsonDiff(stdout, o.file, o.secondFile, differences);
    } else {
        const std::string sideA = "in " + o.file, sideB = "in " + o.secondFile;
        for (const SettingDifference& d : differences)
            printf("%s\n", DifferenceLine(d, sideA, sideB).c_str());
        fflush(stdout);
    }
    if (differences.empty())
        fprintf(stderr, "diff: %s and %s hold the same settings\n", o.file.c_str(), o.secondFile.c_str());
    else
        fprintf(stderr, "diff: %s and %s differ in %zu %s\n", o.file.c_str(), o.secondFile.c_str(),
                differences.size(), differences.size() == 1 ? "setting" : "settings");
    return differences.empty() ? kExitDone : kExitUnitFailed;
}

int Report(const ToolOptions& o)
{
    if (!OutputAllowed(o))
        return kExitUsage;
    auto model = NewModel(), other = NewModel();
    if (!LoadBoth(o.file, *model, o.compare, *other))
        return kExitUsage;
    ReportRequest request;
    request.file = {o.file, FileModifiedText(o.file), model.get()};
    if (!o.compare.empty())
        request.other = {o.compare, FileModifiedText(o.compare), other.get()};
    request.showPassword = o.showPassword;
    request.toolVersion = VersionText();
    request.toolVersion.pop_back();   // its line end
    request.madeOn = TodayText();
    const std::string page = SettingsReportHtml(request);
    if (!WriteOutput(o, page, "the report"))
        return kExitUsage;
    fprintf(stderr, "report: the settings of %s%s written to %s\n", o.file.c_str(),
            o.compare.empty() ? "" : (" compared with " + o.compare).c_str(),
            o.output.empty() ? "stdout" : o.output.c_str());
    return kExitDone;
}

} // namespace

bool LoadSettingsFileAt(const std::string& path, DeviceModelData& model, std::string& bytes, std::string& error)
{
    bool tooLarge = false;
    if (!ReadFileAt(path, kSettingsReadLimit, bytes, tooLarge)) {
        error = "cannot open the settings file " + path;
        return false;
    }
    const SettingsFileError result =
        tooLarge ? SettingsFileError{kSettingsTooLarge, 0} : ParseSettingsFile(bytes.data(), bytes.size(), model);
    if (result.result != kSettingsOk) {
        error = path + ": " + SettingsReadErrorText(result);
        return false;
    }
    return true;
}

bool SaveFileWhole(const std::string& path, const std::string& contents)
{
    return SaveFileReplacing(path.c_str(), [&contents](FILE* file) { return WriteWholeFile(file, contents); });
}

int RunFileCommand(const ToolOptions& options)
{
    switch (options.command) {
    case ToolCommand::kTitlesExport: return ExportTitles(options);
    case ToolCommand::kTitlesImport: return ImportTitles(options);
    case ToolCommand::kDiff: return Diff(options);
    case ToolCommand::kReport: return Report(options);
    default: break;
    }
    return Refuse(std::string(CommandName(options.command)) + " is no file command");
}
