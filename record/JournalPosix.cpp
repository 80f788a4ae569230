#include "JournalPlatform.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tonvale {
namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd;
};

std::error_code writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string parentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string journalDirectoryFor(const char* xdgDataHome, const char* home)
{
    // A relative XDG_DATA_HOME is invalid and to be ignored.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return std::string(xdgDataHome) + "/tonvale/journal";
    return std::string(home != nullptr ? home : "") + "/.local/share/tonvale/journal";
}

std::string journalDirectory()
{
    return journalDirectoryFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

namespace platform {

std::error_code appendDurably(const std::string& path,
                              const std::function<std::string(const FileEnd&)>& bytesFor)
{
    // A file made now needs its name on the disk as well as its bytes.
    bool made = true;
    int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) {
        made = false;
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
    }
    if (fd < 0)
        return lastError();
    const Descriptor file(fd);

    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return lastError();
    FileEnd end;
    end.empty = status.st_size == 0;
    if (!end.empty) {
        char last = 0;
        const ssize_t n = ::pread(fd, &last, 1, status.st_size - 1);
        if (n < 0)
            return lastError();
        end.endsInLineFeed = n == 1 && last == '\n';
    }
    if (const auto error = writeAll(fd, bytesFor(end)))
        return error;
    if (::fsync(fd) != 0)
        return lastError();
    if (made) {
        const Descriptor directory(::open(parentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (directory.fd < 0 || ::fsync(directory.fd) != 0)
            return lastError();
    }
    return {};
}

} // namespace platform
} // namespace tonvale
