// Starting and stopping the simulator from a Linux test process.

#include "SimControl.h"

#include "termin/PortLink.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sxsim {
namespace {

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

} // namespace

SimProcess::SimProcess(const SimOptions& options) : port(options.portName)
{
    char pattern[] = "/tmp/sxsim-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("cannot create a directory for the simulator");
    directory = pattern;
    config = directory + "/config";
    controlSocket = directory + "/control";
    const std::string outputPath = directory + "/output";

    std::vector<std::string> args = {SXSIM_PATH,
                                     "--link",
                                     port,
                                     "--control",
                                     controlSocket,
                                     "--product",
                                     std::to_string(options.productId),
                                     "--measure-ms",
                                     std::to_string(options.measureMs),
                                     "--calibrate-ms",
                                     std::to_string(options.calibrateMs)};
    if (options.pace)
        args.push_back("--pace");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + config};
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string_view(*e).substr(0, 16) != "XDG_CONFIG_HOME=")
            env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int failed = posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        pid = -1;
        std::filesystem::remove_all(directory);
        throw std::runtime_error(std::string("cannot start ") + SXSIM_PATH);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!client) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            const std::string printed = output();
            std::filesystem::remove_all(directory);
            throw std::runtime_error("sxsim ended at start:\n" + printed);
        }
        try {
            client = std::make_unique<ControlClient>(controlSocket);
        } catch (const std::runtime_error&) {
            if (std::chrono::steady_clock::now() > deadline) {
                stop(SIGKILL);
                const std::string printed = output();
                std::filesystem::remove_all(directory);
                throw std::runtime_error("sxsim did not come up:\n" + printed);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    slave = command("PATH");
    savedConfigHome = environment("XDG_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    link = termin::portLinkPath(port);
}

SimProcess::~SimProcess()
{
    stop(SIGTERM);
    if (savedConfigHome)
        setenv("XDG_CONFIG_HOME", savedConfigHome->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
}

int SimProcess::stop(int signal)
{
    client.reset();
    if (pid < 0)
        return -1;
    kill(pid, signal);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            ended = waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid = -1;
    if (ended < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace sxsim
