#pragma once
// A fresh directory under /tmp for one test, removed with everything in it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include <stdlib.h>

class TempDir {
public:
    TempDir()
    {
        char name[] = "/tmp/tonvale-test-XXXXXX";
        if (::mkdtemp(name) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        dir = name;
    }
    ~TempDir() { std::filesystem::remove_all(dir); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path(const std::string& name) const { return (dir / name).string(); }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The names in the directory, to see that no temporary file stays.
    std::size_t entryCount() const
    {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                      std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path dir;
};
