// Saving a whole file: replaced completely or not at all where that can be
// done, never against the file's permissions, through symbolic links to
// their target, and in place where no file can be made beside it.

#include "GuiTest.h"
#include "FileSizeLimit.h"
#include "TempDir.h"

#include "AtomicFile.h"
#include "PropertyFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

using tonvale::writeFileAtomically;

namespace {

namespace fs = std::filesystem;

struct stat statOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

std::string writeFailure(const std::string& path, int error)
{
    return "ファイル " + path + " に書き込むことができませんでした。\n" + std::strerror(error);
}

// Permissions of a directory for the life of the scope; the directory is
// writable again afterwards, so that it can be removed.
class DirectoryMode {
public:
    DirectoryMode(std::string path, mode_t mode) : path(std::move(path))
    {
        ::chmod(this->path.c_str(), mode);
    }
    ~DirectoryMode() { ::chmod(path.c_str(), 0700); }
    DirectoryMode(const DirectoryMode&) = delete;
    DirectoryMode& operator=(const DirectoryMode&) = delete;

private:
    std::string path;
};

} // namespace

TEST(AtomicFile, ReplacesTheFileAndKeepsItsPermissions)
{
    TempDir dir;
    dir.write("f", "old contents");
    ::chmod(dir.path("f").c_str(), 0640);
    EXPECT_FALSE(writeFileAtomically(dir.path("f"), "new"));
    EXPECT_EQ(dir.read("f"), "new");
    EXPECT_EQ(statOf(dir.path("f")).st_mode & 07777, 0640u);
    EXPECT_EQ(dir.entryCount(), 1u);

    EXPECT_FALSE(writeFileAtomically(dir.path("fresh"), ""));
    EXPECT_EQ(dir.read("fresh"), "");
}

TEST(AtomicFile, AFailedWriteReportsTheReasonAndChangesNothing)
{
    TempDir dir;
    dir.write("f", "old");
    std::error_code error;
    {
        FileSizeLimit limit(10);
        error = writeFileAtomically(dir.path("f"), std::string(100, 'n'));
    }
    EXPECT_EQ(error, std::error_code(EFBIG, std::system_category()));
    EXPECT_EQ(dir.read("f"), "old");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(AtomicFile, AReadOnlyFileIsNeverReplaced)
{
    // Read-only for everybody: even root, who could write it, leaves it.
    TempDir dir;
    dir.write("Tonvale.INI", "Mes_Num=7\r\n");
    ::chmod(dir.path("Tonvale.INI").c_str(), 0444);
    const struct stat before = statOf(dir.path("Tonvale.INI"));

    tonvale::PropertyFile store;
    store.setInt("Mes_Num", 1);
    wxTEST_DIALOG(store.save(dir.path("Tonvale.INI")),
                  ExpectMessage(writeFailure(dir.path("Tonvale.INI"), EACCES)));

    const struct stat after = statOf(dir.path("Tonvale.INI"));
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
    EXPECT_EQ(after.st_mode & 07777, 0444u);
    EXPECT_EQ(dir.read("Tonvale.INI"), "Mes_Num=7\r\n");
    EXPECT_EQ(dir.entryCount(), 1u);
}

TEST(AtomicFile, ASaveThroughASymbolicLinkWritesItsTargetAndKeepsTheLink)
{
    TempDir dir;
    fs::create_directory(dir.path("real"));
    dir.write("real/Tonvale.INI", "old");
    ::chmod(dir.path("real/Tonvale.INI").c_str(), 0604);
    // A relative link to a relative link.
    fs::create_symlink("real/Tonvale.INI", dir.path("middle"));
    fs::create_symlink("middle", dir.path("Tonvale.INI"));

    EXPECT_FALSE(writeFileAtomically(dir.path("Tonvale.INI"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.path("Tonvale.INI")));
    EXPECT_EQ(fs::read_symlink(dir.path("Tonvale.INI")), "middle");
    EXPECT_TRUE(fs::is_symlink(dir.path("middle")));
    EXPECT_EQ(dir.read("real/Tonvale.INI"), "new");
    EXPECT_EQ(statOf(dir.path("real/Tonvale.INI")).st_mode & 07777, 0604u);
    EXPECT_EQ(dir.entryCount(), 3u);

    // A link to a file that does not exist yet makes that file.
    fs::create_symlink("real/later.INI", dir.path("dangling"));
    EXPECT_FALSE(writeFileAtomically(dir.path("dangling"), "first"));
    EXPECT_TRUE(fs::is_symlink(dir.path("dangling")));
    EXPECT_EQ(dir.read("real/later.INI"), "first");

    // A loop of links is reported, not followed for ever.
    fs::create_symlink("loop-b", dir.path("loop-a"));
    fs::create_symlink("loop-a", dir.path("loop-b"));
    EXPECT_EQ(writeFileAtomically(dir.path("loop-a"), "x"), std::error_code(ELOOP, std::system_category()));
}

TEST(AtomicFile, TheOwnerOfAFileIsKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    TempDir dir;
    dir.write("theirs", "old");
    ASSERT_EQ(::chown(dir.path("theirs").c_str(), 65534, 65534), 0);
    ::chmod(dir.path("theirs").c_str(), 0664);
    fs::create_symlink("theirs", dir.path("link"));

    EXPECT_FALSE(writeFileAtomically(dir.path("link"), "new"));
    const struct stat after = statOf(dir.path("theirs"));
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(dir.read("theirs"), "new");
}

TEST(AtomicFile, AWritableFileInADirectoryThatIsNotIsWrittenInPlace)
{
    TempDir dir;
    dir.write("Tonvale.INI", "Mes_Num=7\r\nName_Default=a longer value than the new one\r\n");
    const ino_t inode = statOf(dir.path("Tonvale.INI")).st_ino;
    tonvale::PropertyFile store;
    store.setInt("Mes_Num", 8);
    {
        DirectoryMode readOnly(dir.path(""), 0555);
        EXPECT_NO_DIALOG(store.save(dir.path("Tonvale.INI")));
    }
    EXPECT_EQ(dir.read("Tonvale.INI"), "Mes_Num=8\r\n");
    EXPECT_EQ(statOf(dir.path("Tonvale.INI")).st_ino, inode);
    EXPECT_EQ(dir.entryCount(), 1u);

    // Written in place, a failure is still reported.
    store.setString("Long", std::string(10000, 'x'));
    {
        DirectoryMode readOnly(dir.path(""), 0555);
        FileSizeLimit limit(4096);
        wxTEST_DIALOG(store.save(dir.path("Tonvale.INI")),
                      ExpectMessage(writeFailure(dir.path("Tonvale.INI"), EFBIG)));
    }

    // Neither the file nor its directory writable: refused.
    ::chmod(dir.path("Tonvale.INI").c_str(), 0444);
    {
        DirectoryMode readOnly(dir.path(""), 0555);
        wxTEST_DIALOG(store.save(dir.path("Tonvale.INI")),
                      ExpectMessage(writeFailure(dir.path("Tonvale.INI"), EACCES)));
    }
}

TEST(AtomicFile, TheWayOfSavingFollowsWhatMayBeWritten)
{
    using tonvale::SaveMethod;
    struct Case {
        const char* what;
        tonvale::SaveTarget target;
        SaveMethod method;
    };
    const Case cases[] = {
        {"a new file", {false, false, true, true}, SaveMethod::Replace},
        {"a new file where none can be made", {false, false, false, true}, SaveMethod::Replace},
        {"a file of ours", {true, true, true, true}, SaveMethod::Replace},
        {"a read-only file", {true, false, true, true}, SaveMethod::Refuse},
        {"a read-only file in a read-only directory", {true, false, false, true}, SaveMethod::Refuse},
        {"a file in a read-only directory", {true, true, false, true}, SaveMethod::InPlace},
        {"someone else's file we may write", {true, true, true, false}, SaveMethod::InPlace},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tonvale::chooseSaveMethod(c.target), c.method) << c.what;
}
