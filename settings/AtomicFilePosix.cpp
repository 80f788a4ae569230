// Replacing a file atomically on POSIX: a temporary file beside the target,
// fsync, rename, and an fsync of the directory.

#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

namespace tonvale {
namespace {

std::error_code lastError()
{
    return {errno, std::system_category()};
}

// Creates a temporary file beside path that nobody else uses; its mode is
// the one a new file gets (the umask applies), or the target's when it
// exists, so that replacing the file keeps its permissions.
int createTemporary(const std::string& path, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        tempPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            struct stat target {};
            if (fd >= 0 && ::stat(path.c_str(), &target) == 0)
                ::fchmod(fd, target.st_mode & 07777);
            return fd;
        }
    }
}

std::error_code writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

} // namespace

std::error_code writeFileAtomically(const std::string& path, std::string_view contents)
{
    std::string tempPath;
    const int fd = createTemporary(path, tempPath);
    if (fd < 0)
        return lastError();

    std::error_code error = writeAll(fd, contents);
    if (!error && ::fsync(fd) != 0)
        error = lastError();
    if (::close(fd) != 0 && !error)
        error = lastError();
    if (!error && ::rename(tempPath.c_str(), path.c_str()) != 0)
        error = lastError();
    if (error) {
        ::unlink(tempPath.c_str());
        return error;
    }

    // Make the rename itself durable. The new file is in place already, so a
    // directory that cannot be synced is no reason to report a failure.
    std::filesystem::path directory = std::filesystem::path(path).parent_path();
    if (directory.empty())
        directory = ".";
    const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace tonvale
