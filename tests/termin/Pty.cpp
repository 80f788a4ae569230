#include "Pty.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

Pty::Pty()
{
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path = name;
}

Pty::~Pty()
{
    closeMaster();
    ::close(slave);
}

void Pty::send(std::string_view bytes)
{
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

std::string Pty::receive(std::chrono::milliseconds limit)
{
    std::string got;
    pollfd fd{master, POLLIN, 0};
    while (poll(&fd, 1, int(limit.count())) > 0) {
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        got.append(buffer, std::size_t(n));
    }
    return got;
}

void Pty::closeMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

PortDirectory::PortDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "termin-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root = pattern;
    std::filesystem::create_directories(root / "termin" / "ports");
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) {
        previous = value;
        hadPrevious = true;
    }
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
}

PortDirectory::~PortDirectory()
{
    if (hadPrevious)
        setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

void PortDirectory::link(const std::string& portName, const std::string& target)
{
    std::filesystem::create_symlink(target, root / "termin" / "ports" / portName);
}
