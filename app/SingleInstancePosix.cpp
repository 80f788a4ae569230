#include "SingleInstance.h"

#include <wx/app.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace tonvale {
namespace {

bool fillAddress(const std::string& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

enum class Kind { Folder, File };

std::string failureText(Kind kind, const std::string& path, const std::string& reason)
{
    return std::string("多重起動を防ぐための") + (kind == Kind::Folder ? "フォルダ " : "ファイル ") +
           path + " を使用できません。\n" + reason + "\n処理を中止します。";
}

std::string systemReason(int error)
{
    return std::error_code(error, std::system_category()).message();
}

constexpr const char* notOurs = "このユーザーのものではありません。";

// What is wrong with dir as the place of the rendezvous, or "" when it is
// the user's own: a real directory (not a link), the user's, writable by
// nobody else, so that nobody else can put a lock or a socket into it.
std::string directoryProblem(const std::string& dir)
{
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return failureText(Kind::Folder, dir, systemReason(errno));
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0)
        return failureText(Kind::Folder, dir, systemReason(errno));
    if (!S_ISDIR(info.st_mode))
        return failureText(Kind::Folder, dir, "フォルダではありません。");
    if (info.st_uid != ::geteuid())
        return failureText(Kind::Folder, dir, notOurs);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return failureText(Kind::Folder, dir, "ほかのユーザーも書き込めます。");
    return {};
}

} // namespace

struct SingleInstance::Rendezvous {
    std::string dir;
    std::string lockPath;
    std::string socketPath;
    std::string failure;
    int lockFd = -1;
    int listenFd = -1;
    int stopFd = -1;
    std::function<void()> onActivate;
    std::thread listener;

    void listen()
    {
        for (;;) {
            pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents != 0)
                return;
            const int peer = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (peer < 0)
                continue;
            close(peer);
            if (wxTheApp != nullptr)
                wxTheApp->CallAfter(onActivate);
        }
    }
};

std::string SingleInstance::defaultDirectory()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        return runtime;
    std::error_code error;
    std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (error)
        temporary = "/tmp";
    return (temporary / ("tonvale-" + std::to_string(::geteuid()))).string();
}

SingleInstance::SingleInstance(std::string name, std::string dir)
    : rendezvous(std::make_unique<Rendezvous>())
{
    rendezvous->lockPath = dir + "/" + name + ".lock";
    rendezvous->socketPath = dir + "/" + name + ".sock";
    rendezvous->dir = std::move(dir);
}

SingleInstance::~SingleInstance()
{
    Rendezvous& r = *rendezvous;
    if (r.listener.joinable()) {
        const uint64_t one = 1;
        if (write(r.stopFd, &one, sizeof one) < 0) {
            // The listener also ends when its socket closes below.
        }
        r.listener.join();
    }
    if (r.listenFd >= 0) {
        close(r.listenFd);
        unlink(r.socketPath.c_str());
    }
    if (r.stopFd >= 0)
        close(r.stopFd);
    if (r.lockFd >= 0)
        close(r.lockFd); // releases the lock
}

const std::string& SingleInstance::failure() const
{
    return rendezvous->failure;
}

SingleInstance::Claim SingleInstance::claim(std::function<void()> activate)
{
    Rendezvous& r = *rendezvous;
    r.failure = directoryProblem(r.dir);
    if (!r.failure.empty())
        return Claim::Failed;

    // Never through a link, and only a file of the user's own.
    r.lockFd = open(r.lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (r.lockFd < 0) {
        r.failure = failureText(Kind::File, r.lockPath, systemReason(errno));
        return Claim::Failed;
    }
    struct stat info {};
    if (fstat(r.lockFd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        r.failure = failureText(Kind::File, r.lockPath, notOurs);
        return Claim::Failed;
    }
    if (flock(r.lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Claim::Second;
        r.failure = failureText(Kind::File, r.lockPath, systemReason(errno));
        return Claim::Failed;
    }

    r.onActivate = std::move(activate);
    sockaddr_un addr;
    if (!fillAddress(r.socketPath, addr))
        return Claim::First; // first instance all the same, just unreachable
    unlink(r.socketPath.c_str()); // left over by a crashed instance; we hold the lock
    r.listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (r.listenFd < 0 || bind(r.listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(r.listenFd, 4) != 0) {
        if (r.listenFd >= 0)
            close(r.listenFd);
        r.listenFd = -1;
        return Claim::First;
    }
    r.stopFd = eventfd(0, EFD_CLOEXEC);
    r.listener = std::thread([&r] { r.listen(); });
    return Claim::First;
}

// A later start reaches this instance through its socket instead.
void SingleInstance::markMainWindow(wxWindow&) {}

bool SingleInstance::activateFirst() const
{
    const Rendezvous& r = *rendezvous;
    // Only a socket of the user's own is the first instance.
    struct stat info {};
    if (lstat(r.socketPath.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) || info.st_uid != geteuid())
        return false;
    sockaddr_un addr;
    if (!fillAddress(r.socketPath, addr))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool reached = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return reached;
}

} // namespace tonvale
