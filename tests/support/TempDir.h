#pragma once
// A fresh directory for one test (under /tmp, or the user's temporary folder
// on Windows), removed with everything in it. Paths are UTF-8, as the
// program's own.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <stdlib.h>
#endif

class TempDir {
public:
    TempDir()
    {
#ifdef _WIN32
        static std::atomic<unsigned> serial{0};
        for (;;) {
            dir = std::filesystem::temp_directory_path() /
                  ("tonvale-test-" + std::to_string(_getpid()) + "-" + std::to_string(serial++));
            if (std::filesystem::create_directory(dir))
                break;
        }
#else
        char name[] = "/tmp/tonvale-test-XXXXXX";
        if (::mkdtemp(name) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        dir = name;
#endif
    }
    ~TempDir() { std::filesystem::remove_all(dir); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name) const
    {
        const std::u8string utf8 = (dir / at(name)).u8string();
        return {utf8.begin(), utf8.end()};
    }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir / at(name), std::ios::binary) << bytes;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(dir / at(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The names in the directory, to see that no temporary file stays.
    std::size_t entryCount() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                      std::filesystem::directory_iterator()));
    }

private:
    static std::filesystem::path at(const std::string& name)
    {
        return std::filesystem::path(std::u8string(name.begin(), name.end()));
    }

    std::filesystem::path dir;
};
