#include "TestOffice.h"

#include "OfficeProbe.h"

#include <gtest/gtest.h>
#include <osl/pipe.hxx>
#include <osl/security.hxx>
#include <rtl/digest.h>
#include <rtl/ustrbuf.hxx>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::atomic<int> serial{0};


std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The NUL-separated words of a process's command line or environment.
std::vector<std::string> words(const fs::path& path)
{
    std::vector<std::string> all;
    const std::string text = readFile(path);
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\0', begin);
        all.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    return all;
}

bool running(const fs::path& task)
{
    const std::string stat = readFile(task / "stat");
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
           stat[close + 2] != 'X';
}

// A process counts as running while any of its threads does: a killed
// office's first thread may be a zombie while others still hold its pipes
// open, and a connection to them then still succeeds.
bool alive(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return false;
    std::error_code error;
    for (const auto& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        if (running(task.path()))
            return true;
    }
    return false;
}

// A profile an office has set up and left; the offices of the tests start
// from copies of it in well under a second. Removed when the program ends.
const fs::path& setUpProfile()
{
    static const struct SetUp {
        SetUp()
        {
            TestOffice office(true);
            office.start(true);
            try {
                OfficeProbe(office.pipeName).desktop->terminate();
            } catch (const css::uno::Exception&) {
                // It went before it answered.
            }
            if (!office.waitGone(30s))
                office.kill();
            path = fs::path(testing::TempDir()) /
                   ("tonvale-calc-profile-" + std::to_string(getpid()) + "-set-up");
            std::error_code error;
            fs::rename(office.profileDir, path, error);
            EXPECT_FALSE(error) << "no set-up profile: " << error.message();
            fs::remove(path / ".lock", error);
        }
        ~SetUp()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
        fs::path path;
    } setUp;
    return setUp.path;
}

void copySetUpProfile(const std::string& to)
{
    std::error_code error;
    fs::create_directories(fs::path(to).parent_path(), error);
    fs::copy(setUpProfile(), to, fs::copy_options::recursive, error);
    EXPECT_FALSE(error) << "copying the set-up profile: " << error.message();
}

} // namespace

TestOffice::TestOffice(bool fresh)
{
    const std::string tag = std::to_string(getpid()) + "_" + std::to_string(serial++);
    profileDir = (fs::path(testing::TempDir()) / ("tonvale-calc-profile-" + tag)).string();
    profileUrl = "file://" + profileDir;
    pipeName = "tonvale_test_" + tag;
    if (!fresh)
        copySetUpProfile(profileDir);
}

TestOffice::~TestOffice()
{
    kill();
    std::error_code ignored;
    fs::remove(pipePath(pipeName), ignored);
    fs::remove(pipePath(singleInstancePipe(profileUrl)), ignored);
    fs::remove_all(configHome.empty() ? profileDir : configHome, ignored);
}

void TestOffice::useDefaultProfileUnder(const std::string& home)
{
    std::error_code ignored;
    fs::remove_all(profileDir, ignored);
    configHome = home;
    profileDir = home + "/libreoffice/4";
    profileUrl = "file://" + profileDir;
    copySetUpProfile(profileDir);
    // The office takes XDG_CONFIG_HOME only when it exists; otherwise it
    // would fall back on the real user's profile.
    ASSERT_TRUE(fs::is_directory(profileDir)) << profileDir;
}

void TestOffice::start(bool accept, const std::vector<std::string>& extra)
{
    ASSERT_TRUE(configHome.empty() || fs::is_directory(configHome)) << configHome;
    std::vector<std::string> arguments = {TONVALE_OFFICE_PROGRAM_DIR "/soffice", "--norestore",
                                          "--nologo"};
    if (configHome.empty())
        arguments.push_back("-env:UserInstallation=" + profileUrl);
    if (accept)
        arguments.push_back("--accept=pipe,name=" + pipeName + ";urp;");
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    // Our environment, with the configuration directory of a default-profile
    // office; made before fork, as the child may only exec.
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view text(*variable);
        if (text.substr(0, 7) != "LC_ALL=" &&
            (configHome.empty() || text.substr(0, 16) != "XDG_CONFIG_HOME="))
            environment.push_back(*variable);
    }
    if (!configHome.empty())
        environment.push_back("XDG_CONFIG_HOME=" + configHome);
    // Text typed into cells is read the same way wherever the tests run.
    environment.push_back("LC_ALL=en_US.UTF-8");
    std::vector<char*> envp;
    for (auto& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setsid();
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    const bool ready = waitUntil(
        [&] { return pipeAnswers(accept ? pipeName : singleInstancePipe(profileUrl)); }, 60s);
    ASSERT_TRUE(ready) << "the office on " << profileUrl << " did not come up";
}

std::vector<pid_t> TestOffice::pids() const
{
    std::vector<pid_t> found;
    const std::string profileArgument = "-env:UserInstallation=" + profileUrl;
    const std::string config = "XDG_CONFIG_HOME=" + configHome;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = std::stoi(name);
        // We share the environment of a default-profile office.
        if (pid == getpid())
            continue;
        bool ours = pid == child;
        if (configHome.empty()) {
            for (const auto& word : words(entry.path() / "cmdline"))
                ours = ours || word == profileArgument;
        } else {
            for (const auto& word : words(entry.path() / "environ"))
                ours = ours || word == config;
        }
        if (ours && alive(pid)) {
            found.push_back(pid);
            seen.insert(pid);
        }
    }
    return found;
}

void TestOffice::kill()
{
    for (const pid_t pid : pids())
        ::kill(pid, SIGKILL);
    EXPECT_TRUE(waitGone(20s)) << "the office on " << profileUrl << " survived SIGKILL";
}

bool TestOffice::waitGone(std::chrono::milliseconds limit)
{
    // Also waited for by the process ids seen before: a dying process's
    // command line and environment read empty, so pids() no longer
    // recognises it while its last threads still hold its pipes.
    const bool gone = waitUntil(
        [this] {
            if (child > 0 && waitpid(child, nullptr, WNOHANG) == child)
                child = -1;
            return pids().empty() && std::none_of(seen.begin(), seen.end(), alive);
        },
        limit);
    if (gone)
        seen.clear();
    return gone;
}

bool TestOffice::waitUntil(const std::function<bool()>& ready,
                           std::chrono::milliseconds limit) const
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

bool TestOffice::pipeAnswers(const std::string& name)
{
    const osl::Pipe pipe(rtl::OUString::createFromAscii(name.c_str()), osl_Pipe_OPEN,
                         osl::Security());
    return pipe.is();
}

std::string TestOffice::pipePath(const std::string& name)
{
    return "/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + name;
}

std::string TestOffice::singleInstancePipe(const std::string& url)
{
    const rtl::OUString text = rtl::OUString::createFromAscii(url.c_str());
    sal_uInt8 digest[RTL_DIGEST_LENGTH_MD5];
    rtl_digest_MD5(text.getStr(), static_cast<sal_uInt32>(text.getLength()) * 2, digest,
                   sizeof digest);
    std::string name = "SingleOfficeIPC_";
    for (const sal_uInt8 byte : digest) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%x", byte);
        name += hex;
    }
    return name;
}
