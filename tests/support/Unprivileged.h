#pragma once
// For tests of how a missing permission is reported: they must meet the
// refusal even when they run as root (as CI does), whom file permissions
// never stop.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

// For the life of the scope the process meets file permissions as user
// nobody; root's saved identity brings root back at the end. A test that
// does not run as root meets them anyway.
class AsUnprivilegedUser {
public:
    AsUnprivilegedUser()
    {
        if (geteuid() == 0) {
            EXPECT_EQ(seteuid(nobody), 0) << "cannot act as an unprivileged user";
            dropped = geteuid() == nobody;
        }
    }
    ~AsUnprivilegedUser()
    {
        if (dropped && seteuid(0) != 0)
            ADD_FAILURE() << "cannot act as root again";
    }
    AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
    AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;

private:
    static constexpr uid_t nobody = 65534;
    bool dropped = false;
};

// A file that only root may open, standing in for a serial device.
inline void makeForbiddenDevice(const std::filesystem::path& path)
{
    std::ofstream(path).put('\n');
    std::filesystem::permissions(path, std::filesystem::perms::none);
}

// Lets everyone enter a test's private directory below the temporary
// directory, and the directories between, so that a refusal comes from the
// device inside it and not from the way there.
inline void letOthersEnter(const std::filesystem::path& directory)
{
    namespace fs = std::filesystem;
    const fs::path temp = fs::canonical(fs::temp_directory_path());
    const fs::path below = fs::canonical(directory).lexically_relative(temp);
    if (below.empty() || *below.begin() == "..") {
        ADD_FAILURE() << directory << " is not below " << temp;
        return;
    }
    for (fs::path dir = fs::canonical(directory); dir != temp; dir = dir.parent_path()) {
        fs::permissions(dir, fs::perms::others_exec | fs::perms::group_exec,
                        fs::perm_options::add);
    }
}
