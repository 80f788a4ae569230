#include "OfficeProcess.h"

#include "CalcSession.h"

#include <osl/pipe.hxx>
#include <osl/security.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/digest.h>
#include <rtl/ustrbuf.hxx>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <fstream>

namespace sheetwire::calc {

std::string defaultProfileUrl()
{
    // The office reads UserInstallation from its bootstraprc, where it is
    // written in terms of the user's configuration directory.
    localContext();
    OUString url("${$BRAND_BASE_DIR/program/bootstraprc:UserInstallation}");
    rtl::Bootstrap::expandMacros(url);
    return toUtf8(url);
}

std::string singleInstancePipeName(const std::string& profileUrl)
{
    // The office hashes the profile URL's UTF-16 code units as they lie in
    // memory and writes each byte of the digest in hex without padding.
    const OUString url = fromUtf8(profileUrl);
    sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
    rtl_digest_MD5(url.getStr(), static_cast<sal_uInt32>(url.getLength()) * sizeof(sal_Unicode),
                   digest, sizeof digest);
    OUStringBuffer name("SingleOfficeIPC_");
    for (const sal_uInt8 byte : digest)
        name.append(static_cast<sal_Int32>(byte), 16);
    return toUtf8(name.makeStringAndClear());
}

bool pipeAnswers(const std::string& pipeName)
{
    if (pipeBelongsToOthers(pipeName))
        return false;
    // The same naming the office uses when it creates the pipe; opening
    // connects and fails on a pipe file nobody listens on.
    const osl::Pipe pipe(fromUtf8(pipeName), osl_Pipe_OPEN, osl::Security());
    return pipe.is();
}

bool pipeBelongsToOthers(const std::string& pipeName)
{
    // Where the office puts a pipe of this user: the first writable of /tmp
    // and /var/tmp, else the directory its bootstrap names.
    std::string directory;
    if (access("/tmp", W_OK) == 0) {
        directory = "/tmp";
    } else if (access("/var/tmp", W_OK) == 0) {
        directory = "/var/tmp";
    } else {
        localContext();
        OUString configured;
        if (rtl::Bootstrap::get("OSL_SOCKET_PATH", configured))
            directory = toUtf8(configured);
    }
    const std::string path =
        directory + "/OSL_PIPE_" + std::to_string(getuid()) + "_" + pipeName;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return false;
    return !S_ISSOCK(info.st_mode) || info.st_uid != geteuid();
}

namespace {

void writeAll(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

// Reads exactly size bytes; false on end of file first.
bool readAll(int fd, void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

// Closes every descriptor from first on except keep (async-signal-safe).
void closeFrom(int first, int keep, int last)
{
    const auto closeRange = [last](int from, int to) {
        if (from > to)
            return;
        if (close_range(static_cast<unsigned>(from), static_cast<unsigned>(to), 0) != 0) {
            for (int fd = from; fd <= std::min(to, last); ++fd)
                close(fd);
        }
    };
    closeRange(first, keep - 1);
    closeRange(keep + 1, std::numeric_limits<int>::max());
}

} // namespace

std::string findOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return {};
    const std::string directories = path;
    for (std::size_t begin = 0; begin <= directories.size();) {
        const std::size_t end = std::min(directories.find(':', begin), directories.size());
        // An empty entry is the current directory, as for the shell.
        const std::string directory =
            end == begin ? std::string(".") : directories.substr(begin, end - begin);
        const std::string candidate = directory + "/" + program;
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return {};
}

pid_t startSoffice(const std::vector<std::string>& arguments)
{
    // Everything the children use is prepared here: between fork and exec
    // only async-signal-safe calls are allowed.
    std::vector<std::string> words;
    words.push_back(findOnPath("soffice"));
    if (words.front().empty())
        return -1;
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    rlimit files{};
    const int lastFd = getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
                           ? static_cast<int>(std::min<rlim_t>(files.rlim_cur, 1 << 20)) - 1
                           : 65535;

    // The intermediate child reports the office's pid; the office's end
    // closes on exec, or carries the errno of a failed exec.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return -1;
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return -1;
    }
    if (child == 0) {
        // A session of its own: the office outlives us and takes no
        // terminal signals meant for us.
        setsid();
        const pid_t office = fork();
        if (office == 0) {
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, 0);
                dup2(null, 1);
                dup2(null, 2);
            }
            closeFrom(3, report[1], lastFd);
            execv(argv[0], argv.data());
            const int error = errno;
            writeAll(report[1], &error, sizeof error);
            _exit(127);
        }
        writeAll(report[1], &office, sizeof office);
        _exit(office < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    pid_t office = -1;
    int execError = 0;
    if (!readAll(report[0], &office, sizeof office) || readAll(report[0], &execError, sizeof execError))
        office = -1;
    close(report[0]);
    return office;
}

bool processRunning(pid_t pid)
{
    if (pid <= 0 || kill(pid, 0) != 0)
        return false;
    // A dead office lingers as a zombie until whoever adopted it reaps it.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    std::getline(stat, field, ')');
    char state = 0;
    stat >> state;
    return stat && state != 'Z';
}

} // namespace sheetwire::calc
