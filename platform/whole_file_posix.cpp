#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace {

std::atomic<unsigned> TemporaryCount{0};

// The folder a path names its file in ("." for a bare name).
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file of our own beside the target: created exclusively, with the
// permissions an ordinary new file gets (0666 less the umask).
int CreateTemporary(const std::string& path, std::string& temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(TemporaryCount++);
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems cannot flush a folder (EINVAL): the rename is as safe
    // there as they make it.
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    close(fd);
    return synced;
}

} // namespace

bool SaveFileReplacing(const char* path, const FileWriter& write)
{
    const std::string target = path ? path : "";
    if (target.empty())
        return false;
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0)
        return false;
    // An existing file keeps its permissions.
    struct stat existing;
    if (stat(target.c_str(), &existing) == 0)
        fchmod(fd, existing.st_mode & 07777);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    bool written = write(file) && fflush(file) == 0 && fsync(fileno(file)) == 0;
    written = fclose(file) == 0 && written;
    written = written && rename(temporary.c_str(), target.c_str()) == 0;
    if (!written) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolder(FolderOf(target));
}
