// Starting and stopping the simulator from a Windows test process under
// Wine. Wine runs a Unix program when asked to create a process from one, and
// its drive Z: is the Unix root; the prefix maps COMn to
// $TONVALE_WINE_PORTS/termin/ports/COMn, where the simulator links its line.
// Such a process has no Windows handle to wait on, so the simulator's own
// lines tell that it runs and that it has stopped.

#include "SimControl.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <windows.h>

namespace sxsim {
namespace {

std::wstring widen(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

// The Windows name of an absolute Unix path.
std::string windowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The value after "control " in the simulator's start-up lines, once it
// has printed "ready"; empty while it has not.
std::string controlEndpointIn(const std::string& output)
{
    if (output.find("\nready\n") == std::string::npos)
        return {};
    const auto at = output.find("\ncontrol ");
    if (at == std::string::npos)
        return {};
    const auto start = at + 9;
    return output.substr(start, output.find('\n', start) - start);
}

} // namespace

SimProcess::SimProcess(const SimOptions& options) : port(options.portName)
{
    const char* ports = std::getenv("TONVALE_WINE_PORTS");
    if (ports == nullptr || ports[0] != '/')
        throw std::runtime_error("TONVALE_WINE_PORTS is not set: run the test through scripts/wine-run");
    config = ports;
    link = config + "/termin/ports/" + port;

    // Wine reuses its small process ids, and a killed test leaves its
    // directory behind: a name that is taken is passed over.
    static std::atomic<unsigned> serial{0};
    std::string unixDirectory;
    for (;;) {
        unixDirectory = "/tmp/sxsim-wine-" + std::to_string(GetCurrentProcessId()) + "-" +
                        std::to_string(serial++);
        directory = windowsPath(unixDirectory);
        if (CreateDirectoryW(widen(directory).c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create a directory for the simulator");
    }

    const std::string shellCommand = "XDG_CONFIG_HOME=" + quoted(config) + " exec " + quoted(SXSIM_PATH) +
                          " --link " + port + " --control tcp:0 --product " +
                          std::to_string(options.productId) + " --measure-ms " +
                          std::to_string(options.measureMs) + " --calibrate-ms " +
                          std::to_string(options.calibrateMs) + (options.pace ? " --pace" : "") +
                          " >" + quoted(unixDirectory + "/output") + " 2>&1 </dev/null";
    std::wstring commandLine = L"Z:\\bin\\sh -c \"" + widen(shellCommand) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        throw std::runtime_error("cannot start " SXSIM_PATH " through Wine");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    running = true;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string endpoint;
    while ((endpoint = controlEndpointIn(output())).empty()) {
        const std::string printed = output();
        if (printed.find("sxsim: ") != std::string::npos ||
            std::chrono::steady_clock::now() > deadline) {
            running = false;
            throw std::runtime_error("sxsim did not come up:\n" + printed);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    client = std::make_unique<ControlClient>(endpoint);
    slave = command("PATH");
}

SimProcess::~SimProcess()
{
    stop(SIGTERM);
    DeleteFileW(widen(directory + "\\output").c_str());
    RemoveDirectoryW(widen(directory).c_str());
}

int SimProcess::stop(int)
{
    if (!running)
        return -1;
    running = false;
    try {
        if (client)
            client->request("QUIT");
    } catch (const std::runtime_error&) {
        // Gone already.
    }
    client.reset();
    // The simulator says so once it has removed its link and let go of the
    // line.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (output().find("\nstopped\n") == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

} // namespace sxsim
