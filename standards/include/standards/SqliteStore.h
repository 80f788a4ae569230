#pragma once
// The standards library in an SQLite database of the user's own.

#include "standards/Store.h"

#include <memory>
#include <string>

struct sqlite3;

namespace standards {

class SqliteStore final : public Store {
public:
    // The layout this program reads and writes (PRAGMA user_version).
    static constexpr int schemaVersion = 1;

    // Opens the database at path (UTF-8), making it and its folder when
    // missing. Throws StoreError for a file that is not a database or is
    // damaged, one of a later version, one that may not be written or that
    // another program holds: such a file is left exactly as it was.
    explicit SqliteStore(std::string path);
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    std::string location() const override { return path; }
    std::vector<Standard> all() override;
    std::optional<Standard> find(const std::string& name) override;
    void add(const std::vector<Standard>& added) override;
    using Store::add;
    void rename(const std::string& name, const std::string& newName) override;
    void change(const std::string& name, const Tolerance& tolerance, const std::string& note) override;
    void remove(const std::string& name) override;

private:
    [[noreturn]] void fail(int code) const;
    void execute(const char* sql);
    void prepareSchema();

    struct Close {
        void operator()(sqlite3* db) const;
    };
    std::string path;
    std::unique_ptr<sqlite3, Close> db;
};

// Where the user's standards library lives: $XDG_DATA_HOME/tonvale/
// standards.sqlite (~/.local/share/tonvale/ when the variable is unset or
// not an absolute path) on Linux, %APPDATA%\Tonvale\standards.sqlite on
// Windows. Nothing is made here.
std::string standardsPath();

#ifdef _WIN32
std::string standardsPathFor(const std::string& appData);
#else
std::string standardsPathFor(const char* xdgDataHome, const char* home);
#endif

} // namespace standards
