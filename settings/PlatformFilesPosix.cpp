#include "PlatformFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tonvale {

ReadResult readFileChunks(const std::string& path,
                          const std::function<void(std::string_view)>& take,
                          std::error_code& error)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return ReadResult::Missing;

    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = {errno, std::system_category()};
        return ReadResult::Failed;
    }
    char chunk[8192];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = {errno, std::system_category()};
            ::close(fd);
            return ReadResult::Failed;
        }
        if (got == 0)
            break;
        take(std::string_view(chunk, static_cast<std::size_t>(got)));
    }
    ::close(fd);
    return ReadResult::Read;
}

std::string toFileText(std::string_view utf8)
{
    return std::string(utf8);
}

std::string fromFileText(std::string_view fileText)
{
    return std::string(fileText);
}

} // namespace tonvale
