// The standards library's SQLite file: made from nothing, kept across
// openings, and refused (never changed) when it is damaged, foreign, newer,
// read-only or held by another program.

#include "StandardsFixtures.h"
#include "TempDir.h"

#include "standards/SqliteStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace standards;

namespace {

// A connection of the test's own, as another program would hold one.
class Connection {
public:
    explicit Connection(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path;
    }
    ~Connection() { sqlite3_close_v2(db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void run(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
            ADD_FAILURE() << sql << ": " << (error ? error : "?");
        sqlite3_free(error);
    }

    long long integer(const std::string& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        long long value = -1;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
            value = sqlite3_column_int64(stmt, 0);
        else
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
        return value;
    }

private:
    sqlite3* db = nullptr;
};

// Expects opening path to fail for the reason given, leaving the file as it
// was byte for byte.
void expectRefused(const TempDir& dir, const std::string& name, StoreFault fault)
{
    const std::string before = dir.read(name);
    try {
        SqliteStore store(dir.path(name));
        ADD_FAILURE() << name << " was opened";
    } catch (const StoreError& error) {
        EXPECT_EQ(fault, error.fault()) << error.what();
        EXPECT_EQ(dir.path(name), error.file());
    }
    EXPECT_EQ(before, dir.read(name)) << name << " was changed";
}

std::string library(const TempDir& dir) { return dir.path("standards.sqlite"); }

} // namespace

TEST(SqliteStore, MadeFromNothingInAFolderThatDoesNotExistYet)
{
    TempDir dir;
    const std::string path = dir.path("data/tonvale/standards.sqlite");
    {
        SqliteStore store(path);
        EXPECT_TRUE(store.all().empty());
        EXPECT_EQ(path, store.location());
    }
    Connection check(path);
    EXPECT_EQ(SqliteStore::schemaVersion, check.integer("PRAGMA user_version"));
    EXPECT_EQ(1, check.integer("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = 'standard_name'"));
}

TEST(SqliteStore, TakesAnEmptyFileOrAnEmptyDatabaseAsALibraryWithoutStandards)
{
    TempDir dir;
    dir.write("empty.sqlite", "");
    { Connection(dir.path("versionless.sqlite")).run("PRAGMA user_version = 0"); }
    for (const char* name : {"empty.sqlite", "versionless.sqlite"}) {
        {
            SqliteStore store(dir.path(name));
            store.add(labStandard("A"));
        }
        SqliteStore again(dir.path(name));
        EXPECT_EQ(1u, again.all().size()) << name;
    }
}

TEST(SqliteStore, KeepsEveryFieldAcrossOpenings)
{
    TempDir dir;
    const Standard lab = labStandard("赤 No.3（基準）");
    const Standard spectral = spectralStandard("Blue");
    const auto before = std::chrono::system_clock::now();
    {
        SqliteStore store(library(dir));
        store.add(lab);
        store.add(spectral);
    }
    SqliteStore store(library(dir));
    const std::vector<Standard> all = store.all();
    ASSERT_EQ(2u, all.size());
    // In the byte order of their UTF-8 names.
    expectSameStandard(spectral, all[0]);
    expectSameStandard(lab, all[1]);
    const auto made = std::chrono::duration_cast<std::chrono::seconds>(before.time_since_epoch()).count();
    EXPECT_GE(all[1].created, made);
    EXPECT_EQ(all[1].created, all[1].changed);

    const auto found = store.find("赤 No.3（基準）");
    ASSERT_TRUE(found);
    expectSameStandard(lab, *found);
    EXPECT_FALSE(store.find("赤 No.3"));
    // Names compare as stored: no folding of case or width.
    EXPECT_FALSE(store.find("blue"));
    EXPECT_FALSE(store.find("Ｂｌｕｅ"));
}

TEST(SqliteStore, KeepsTheTimesAStandardComesWith)
{
    TempDir dir;
    Standard imported = labStandard("Imported");
    imported.created = 1000000000;
    imported.changed = 1500000000;
    SqliteStore store(library(dir));
    store.add(imported);
    EXPECT_EQ(1000000000, store.find("Imported")->created);
    EXPECT_EQ(1500000000, store.find("Imported")->changed);
}

TEST(SqliteStore, RenamesChangesAndRemoves)
{
    TempDir dir;
    SqliteStore store(library(dir));
    Standard old = labStandard("Old");
    old.created = old.changed = 1000;
    store.add(old);
    store.add(labStandard("Other"));

    store.rename("Old", "新しい名前");
    EXPECT_FALSE(store.find("Old"));
    const auto renamed = store.find("新しい名前");
    ASSERT_TRUE(renamed);
    EXPECT_EQ(1000, renamed->created);
    EXPECT_GT(renamed->changed, 1000);

    Tolerance tolerance;
    tolerance.formula = Formula::E94;
    tolerance.deltaE = 2.5;
    tolerance.dL = 1.0;
    store.change("新しい名前", tolerance, "changed note");
    const auto changed = store.find("新しい名前");
    EXPECT_EQ(Formula::E94, changed->tolerance.formula);
    EXPECT_EQ(2.5, changed->tolerance.deltaE);
    EXPECT_EQ(1.0, changed->tolerance.dL);
    EXPECT_FALSE(changed->tolerance.da);
    EXPECT_FALSE(changed->tolerance.db);
    EXPECT_EQ("changed note", changed->note);
    EXPECT_EQ(old.lab.L, changed->lab.L);

    store.remove("新しい名前");
    EXPECT_FALSE(store.find("新しい名前"));
    EXPECT_EQ(1u, store.all().size());
}

TEST(SqliteStore, RefusesTwoStandardsOfOneNameAndNamesThatAreNotThere)
{
    TempDir dir;
    SqliteStore store(library(dir));
    store.add(labStandard("A"));
    store.add(labStandard("B"));
    const std::vector<std::pair<std::function<void()>, StoreFault>> cases{
        {[&] { store.add(labStandard("A")); }, StoreFault::DuplicateName},
        {[&] { store.rename("B", "A"); }, StoreFault::DuplicateName},
        {[&] { store.rename("C", "D"); }, StoreFault::NoSuchStandard},
        {[&] { store.change("C", Tolerance{}, ""); }, StoreFault::NoSuchStandard},
        {[&] { store.remove("C"); }, StoreFault::NoSuchStandard},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        try {
            cases[i].first();
            ADD_FAILURE() << "case " << i << " succeeded";
        } catch (const StoreError& error) {
            EXPECT_EQ(cases[i].second, error.fault()) << "case " << i;
        }
    }
    EXPECT_EQ(2u, store.all().size());
    EXPECT_EQ(labStandard("A").note, store.find("A")->note);
}

TEST(SqliteStore, AddsSeveralAsOneChange)
{
    TempDir dir;
    SqliteStore store(library(dir));
    store.add(labStandard("B"));
    EXPECT_THROW(store.add({labStandard("A"), labStandard("B"), labStandard("C")}), StoreError);
    ASSERT_EQ(1u, store.all().size());
    store.add({labStandard("A"), labStandard("C")});
    EXPECT_EQ(3u, store.all().size());
}

TEST(SqliteStore, RefusesWhatIsNoDatabaseOfItsOwnAndLeavesItAsItWas)
{
    TempDir dir;
    // A database of the program's with a page in the middle overwritten,
    // and the same cut short: both as a crashed disk or a bad copy leaves them.
    {
        SqliteStore store(dir.path("good.sqlite"));
        for (int i = 0; i < 200; ++i)
            store.add(spectralStandard("S" + std::to_string(i), i));
    }
    std::string bytes = dir.read("good.sqlite");
    ASSERT_GT(bytes.size(), 16384u);
    dir.write("truncated.sqlite", bytes.substr(0, bytes.size() / 2));
    for (std::size_t i = 4096 * 3; i < 4096 * 3 + 600; ++i)
        bytes[i] = char(0x5A);
    dir.write("damaged.sqlite", bytes);
    dir.write("text.sqlite", "name,L*,a*,b*\r\nRed,50,60,30\r\n");
    dir.write("header.sqlite", std::string("SQLite format 3\0", 16) + std::string(200, '\x01'));
    { Connection(dir.path("foreign.sqlite")).run("CREATE TABLE photos (id INTEGER)"); }
    { Connection(dir.path("newer.sqlite")).run("PRAGMA user_version = 2"); }

    const std::vector<std::pair<std::string, StoreFault>> cases{
        {"text.sqlite", StoreFault::Corrupt},
        {"header.sqlite", StoreFault::Corrupt},
        {"truncated.sqlite", StoreFault::Corrupt},
        {"damaged.sqlite", StoreFault::Corrupt},
        {"foreign.sqlite", StoreFault::Foreign},
        {"newer.sqlite", StoreFault::NewerSchema},
    };
    for (const auto& [name, fault] : cases) {
        SCOPED_TRACE(name);
        expectRefused(dir, name, fault);
    }
}

TEST(SqliteStore, RefusesAReadOnlyFileOrFolderEvenToAnAdministrator)
{
    namespace fs = std::filesystem;
    TempDir dir;
    { SqliteStore(dir.path("readonly.sqlite")).add(labStandard("A")); }
    fs::permissions(dir.path("readonly.sqlite"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    expectRefused(dir, "readonly.sqlite", StoreFault::ReadOnly);
    // Windows removes no read-only file with its folder.
    fs::permissions(dir.path("readonly.sqlite"), fs::perms::owner_write, fs::perm_options::add);
#ifndef _WIN32
    // Its journal could not be made beside it.
    { SqliteStore(dir.path("closed/standards.sqlite")).add(labStandard("A")); }
    fs::permissions(dir.path("closed"), fs::perms::owner_read | fs::perms::owner_exec);
    expectRefused(dir, "closed/standards.sqlite", StoreFault::ReadOnly);
    fs::permissions(dir.path("closed"), fs::perms::owner_all);
#endif
}

TEST(SqliteStore, RefusesALibraryAnotherProgramIsWritingAndWritesAgainWhenItHasDone)
{
    TempDir dir;
    { SqliteStore(library(dir)).add(labStandard("A")); }
    SqliteStore opened(library(dir));

    Connection other(library(dir));
    other.run("BEGIN IMMEDIATE");
    other.run("UPDATE standard SET note = 'being edited'");
    expectRefused(dir, "standards.sqlite", StoreFault::Locked);
    try {
        opened.add(labStandard("B"));
        ADD_FAILURE() << "added while locked";
    } catch (const StoreError& error) {
        EXPECT_EQ(StoreFault::Locked, error.fault());
        EXPECT_EQ(library(dir), error.file());
    }
    other.run("COMMIT");

    opened.add(labStandard("B"));
    EXPECT_EQ(2u, opened.all().size());
    EXPECT_EQ("being edited", opened.find("A")->note);
}

TEST(SqliteStore, PathFollowsTheUsersDataFolder)
{
#ifdef _WIN32
    EXPECT_EQ("C:\\Users\\u\\AppData\\Roaming\\Tonvale\\standards.sqlite",
              standardsPathFor("C:\\Users\\u\\AppData\\Roaming"));
#else
    EXPECT_EQ("/data/tonvale/standards.sqlite", standardsPathFor("/data", "/home/u"));
    EXPECT_EQ("/home/u/.local/share/tonvale/standards.sqlite", standardsPathFor(nullptr, "/home/u"));
    EXPECT_EQ("/home/u/.local/share/tonvale/standards.sqlite", standardsPathFor("relative", "/home/u"));
#endif
}

namespace {

// What the killed program does: it adds a spectral standard and an L*a*b*
// one in one change and renames the latter, again and again.
[[noreturn]] void writeUntilKilled(const std::string& path, int round)
{
    try {
        SqliteStore store(path);
        for (int i = 0;; ++i) {
            const std::string name = "r" + std::to_string(round) + "-" + std::to_string(i);
            store.add({spectralStandard(name, i), labStandard(name + "-lab")});
            store.rename(name + "-lab", name + "-renamed");
        }
    } catch (...) {
    }
    std::_Exit(1);
}

// The number of standards in the library, read as another program would;
// -1 while it cannot be read.
long long standardCount(const std::string& path)
{
    sqlite3* db = nullptr;
    long long count = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM standard", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            count = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    return count;
}

#ifdef _WIN32
constexpr const wchar_t* writerVariable = L"TONVALE_TEST_STANDARDS_WRITER";

// A second run of this test program, which writes until it is killed.
class Writer {
public:
    Writer(const std::string& path, int round)
    {
        const std::wstring library = std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
        SetEnvironmentVariableW(writerVariable, (std::to_wstring(round) + L"|" + library).c_str());
        std::wstring self(MAX_PATH, L'\0');
        self.resize(GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
        std::wstring command = L"\"" + self + L"\" --gtest_filter=SqliteStore.WriterOfTheKillTest";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process) != 0;
        SetEnvironmentVariableW(writerVariable, nullptr);
    }
    ~Writer()
    {
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool running() const { return started && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
    // True when the writer was still writing when it was killed.
    bool kill()
    {
        if (!running())
            return false;
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return code == 9;
    }

private:
    PROCESS_INFORMATION process{};
    bool started = false;
};
#else
class Writer {
public:
    Writer(const std::string& path, int round) : child(fork())
    {
        if (child == 0)
            writeUntilKilled(path, round);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool running() const { return child > 0 && waitpid(child, nullptr, WNOHANG) == 0; }
    bool kill()
    {
        if (child <= 0 || ::kill(child, SIGKILL) != 0)
            return false;
        int status = 0;
        return waitpid(child, &status, 0) == child && WIFSIGNALED(status);
    }

private:
    pid_t child;
};
#endif

} // namespace

#ifdef _WIN32
TEST(SqliteStore, WriterOfTheKillTest)
{
    const wchar_t* task = _wgetenv(writerVariable);
    if (task == nullptr)
        GTEST_SKIP() << "the writer that AKilledWriterLeavesWholeStandards starts and kills";
    const std::wstring text(task);
    const auto bar = text.find(L'|');
    const std::u8string library = std::filesystem::path(text.substr(bar + 1)).u8string();
    writeUntilKilled(std::string(library.begin(), library.end()), std::stoi(text.substr(0, bar)));
}
#endif

// A program killed while it saves standards leaves a database that opens and
// holds whole standards only: each as it was added, or not at all.
TEST(SqliteStore, AKilledWriterLeavesWholeStandards)
{
    TempDir dir;
    { SqliteStore store(library(dir)); }
    for (int round = 0; round < 5; ++round) {
        const long long before = standardCount(library(dir));
        Writer writer(library(dir), round);
        // Once it has written, somewhere in the middle of a later write.
        const auto start = std::chrono::steady_clock::now();
        while (writer.running() && standardCount(library(dir)) <= before &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(30))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + round * 37));
        ASSERT_TRUE(writer.kill()) << "the writer ended on its own";

        SqliteStore store(library(dir));
        const std::vector<Standard> all = store.all();
        std::size_t spectral = 0;
        for (const Standard& s : all) {
            if (!s.reflectance)
                continue;
            ++spectral;
            const int seed = std::stoi(s.name.substr(s.name.find('-') + 1));
            expectSameStandard(spectralStandard(s.name, seed), s);
            // Its L*a*b* partner came in the same change.
            EXPECT_TRUE(store.find(s.name + "-lab") || store.find(s.name + "-renamed")) << s.name;
        }
        EXPECT_EQ(all.size(), 2 * spectral);
        EXPECT_GT((long long)all.size(), before) << "round " << round << " wrote nothing before the kill";
    }
}
