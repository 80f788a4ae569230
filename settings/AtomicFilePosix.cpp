#include "AtomicFilePlatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <vector>

namespace tonvale::platform {
namespace {

std::error_code lastError()
{
    return {errno, std::system_category()};
}

bool inGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

// Whether this user may write what info describes. The permission bits
// decide: root, whom the system lets write anything, still leaves alone
// what nobody may write.
bool mayWrite(const std::string& path, const struct stat& info)
{
    const uid_t user = ::geteuid();
    if (user == 0)
        return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    const mode_t bit = info.st_uid == user ? S_IWUSR : inGroup(info.st_gid) ? S_IWGRP : S_IWOTH;
    return (info.st_mode & bit) != 0 && ::access(path.c_str(), W_OK) == 0;
}

std::string directoryOf(const std::string& path)
{
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    return directory.empty() ? "." : directory.string();
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

// Creates a temporary file beside path that nobody else uses; a new file's
// mode is what the umask leaves.
int createTemporary(const std::string& path, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        tempPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

// Gives the temporary file the mode, owner and group of the file it is to
// replace.
std::error_code takeOverAttributes(int fd, const struct stat& target)
{
    struct stat own {};
    if (::fstat(fd, &own) != 0)
        return lastError();
    if ((own.st_uid != target.st_uid || own.st_gid != target.st_gid) &&
        ::fchown(fd, target.st_uid, target.st_gid) != 0)
        return lastError();
    // After the owner: changing it may clear set-id bits.
    if (::fchmod(fd, target.st_mode & 07777) != 0)
        return lastError();
    return {};
}

} // namespace

SaveTarget inspectSaveTarget(const std::string& path)
{
    SaveTarget target;
    struct stat directory {};
    const std::string directoryPath = directoryOf(path);
    target.directoryWritable = ::stat(directoryPath.c_str(), &directory) == 0 &&
                               mayWrite(directoryPath, directory);
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0)
        return target;
    target.exists = true;
    target.writable = mayWrite(path, file);
    const uid_t user = ::geteuid();
    target.ownerKept = user == 0 || (file.st_uid == user && inGroup(file.st_gid));
    return target;
}

std::error_code replaceFile(const std::string& path, std::string_view contents)
{
    std::string tempPath;
    const int fd = createTemporary(path, tempPath);
    if (fd < 0)
        return lastError();

    std::error_code error;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0)
        error = takeOverAttributes(fd, existing);
    if (!error)
        error = writeAll(fd, contents);
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
    const int dir = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

std::error_code overwriteFile(const std::string& path, std::string_view contents)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    // Cut only after the new bytes are written, so that the file is never
    // empty on the way.
    std::error_code error = writeAll(fd, contents);
    if (!error && ::ftruncate(fd, static_cast<off_t>(contents.size())) != 0)
        error = lastError();
    if (!error && ::fsync(fd) != 0)
        error = lastError();
    if (::close(fd) != 0 && !error)
        error = lastError();
    return error;
}

std::error_code accessDenied()
{
    return {EACCES, std::system_category()};
}

} // namespace tonvale::platform
