#include "standards/SqliteStore.h"

#include "StorePlatform.h"

#include <sqlite3.h>

#include <bit>
#include <chrono>
#include <filesystem>

namespace standards {
namespace {

// One standard a row. The unique index on name finds one among thousands
// without reading the rest. The reflectance is 39 little-endian doubles, or
// NULL for a standard that is L*a*b* only.
constexpr const char* schema = R"sql(
CREATE TABLE standard (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    reflectance BLOB,
    l REAL NOT NULL,
    a REAL NOT NULL,
    b REAL NOT NULL,
    illuminant INTEGER NOT NULL,
    observer INTEGER NOT NULL,
    formula TEXT NOT NULL,
    delta_e REAL NOT NULL,
    delta_l REAL,
    delta_a REAL,
    delta_b REAL,
    note TEXT NOT NULL,
    created INTEGER NOT NULL,
    changed INTEGER NOT NULL
);
CREATE UNIQUE INDEX standard_name ON standard (name);
)sql";

constexpr const char* columns =
    "name, reflectance, l, a, b, illuminant, observer, formula, delta_e, delta_l, delta_a, "
    "delta_b, note, created, changed";

constexpr std::size_t reflectanceBytes = colour::bandCount * sizeof(double);

const char* formulaKey(Formula formula)
{
    switch (formula) {
    case Formula::Eab: return "Eab";
    case Formula::E94: return "E94";
    case Formula::E00: return "E00";
    case Formula::Cmc: return "CMC";
    }
    return "E00";
}

std::optional<Formula> formulaOfKey(const std::string& key)
{
    for (Formula f : {Formula::Eab, Formula::E94, Formula::E00, Formula::Cmc})
        if (key == formulaKey(f))
            return f;
    return std::nullopt;
}

std::string encode(const colour::Spectrum& spectrum)
{
    std::string bytes;
    bytes.reserve(reflectanceBytes);
    for (double value : spectrum) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i)
            bytes.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
    return bytes;
}

colour::Spectrum decode(const unsigned char* bytes)
{
    colour::Spectrum spectrum{};
    for (std::size_t band = 0; band < spectrum.size(); ++band) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= std::uint64_t(bytes[band * 8 + i]) << (8 * i);
        spectrum[band] = std::bit_cast<double>(bits);
    }
    return spectrum;
}

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

StoreFault faultOf(int code)
{
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
        return StoreFault::Corrupt;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return StoreFault::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreFault::Locked;
    case SQLITE_CONSTRAINT:
        return StoreFault::DuplicateName;
    default:
        return StoreFault::Io;
    }
}

// A prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql)
    {
        code = sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // The result of preparing, or of the last step that failed.
    int result() const { return code; }
    bool ok() const { return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE; }

    void bind(int index, const std::string& text)
    {
        keep(sqlite3_bind_text(stmt, index, text.data(), int(text.size()), SQLITE_TRANSIENT));
    }
    void bind(int index, double value) { keep(sqlite3_bind_double(stmt, index, value)); }
    void bind(int index, std::int64_t value) { keep(sqlite3_bind_int64(stmt, index, value)); }
    void bind(int index, int value) { keep(sqlite3_bind_int(stmt, index, value)); }
    void bind(int index, const std::optional<double>& value)
    {
        if (value)
            bind(index, *value);
        else
            keep(sqlite3_bind_null(stmt, index));
    }
    void bindBlob(int index, const std::string& bytes)
    {
        keep(sqlite3_bind_blob(stmt, index, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT));
    }
    void bindNull(int index) { keep(sqlite3_bind_null(stmt, index)); }

    // True while there is a row; false at the end or on an error (see ok()).
    bool step()
    {
        if (!ok())
            return false;
        code = sqlite3_step(stmt);
        return code == SQLITE_ROW;
    }

    std::string text(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return bytes == nullptr ? std::string() : std::string(bytes, std::size_t(sqlite3_column_bytes(stmt, column)));
    }
    double real(int column) const { return sqlite3_column_double(stmt, column); }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt, column); }
    bool null(int column) const { return sqlite3_column_type(stmt, column) == SQLITE_NULL; }
    std::optional<double> optionalReal(int column) const
    {
        if (null(column))
            return std::nullopt;
        return real(column);
    }
    const unsigned char* blob(int column, std::size_t& size) const
    {
        const void* bytes = sqlite3_column_blob(stmt, column);
        size = std::size_t(sqlite3_column_bytes(stmt, column));
        return static_cast<const unsigned char*>(bytes);
    }

private:
    void keep(int result)
    {
        if (code == SQLITE_OK && result != SQLITE_OK)
            code = result;
    }

    sqlite3_stmt* stmt = nullptr;
    int code = SQLITE_OK;
};

void bindStandard(Statement& insert, const Standard& s, std::int64_t time)
{
    insert.bind(1, s.name);
    if (s.reflectance)
        insert.bindBlob(2, encode(*s.reflectance));
    else
        insert.bindNull(2);
    insert.bind(3, s.lab.L);
    insert.bind(4, s.lab.a);
    insert.bind(5, s.lab.b);
    insert.bind(6, s.illuminant);
    insert.bind(7, s.observer);
    insert.bind(8, std::string(formulaKey(s.tolerance.formula)));
    insert.bind(9, s.tolerance.deltaE);
    insert.bind(10, s.tolerance.dL);
    insert.bind(11, s.tolerance.da);
    insert.bind(12, s.tolerance.db);
    insert.bind(13, s.note);
    insert.bind(14, s.created != 0 ? s.created : time);
    insert.bind(15, s.changed != 0 ? s.changed : time);
}

} // namespace

StoreError::StoreError(std::string file, StoreFault fault, std::string detail)
    : std::runtime_error(file + ": " + detail), where(std::move(file)), kind(fault), said(std::move(detail))
{
}

void SqliteStore::Close::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

// A write transaction: BEGIN IMMEDIATE takes the database for writing at
// once, so that a locked database is found before anything is changed.
class Transaction {
public:
    Transaction(sqlite3* db, const std::string& path) : db(db), path(path)
    {
        if (const int code = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); code != SQLITE_OK)
            throw StoreError(path, faultOf(code), sqlite3_errmsg(db));
    }
    ~Transaction()
    {
        if (!done)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit()
    {
        if (const int code = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); code != SQLITE_OK)
            throw StoreError(path, faultOf(code), sqlite3_errmsg(db));
        done = true;
    }

private:
    sqlite3* db;
    const std::string& path;
    bool done = false;
};

SqliteStore::SqliteStore(std::string file) : path(std::move(file))
{
    namespace fs = std::filesystem;
    const fs::path where(std::u8string(path.begin(), path.end()));
    std::error_code error;
    const bool exists = fs::exists(where, error);
    if (error)
        throw StoreError(path, StoreFault::Io, error.message());
    if (!exists) {
        fs::create_directories(where.parent_path(), error);
        if (error)
            throw StoreError(path, StoreFault::Io, error.message());
    } else if (!platform::mayWrite(path)) {
        // SQLite would open it for reading only; the library could then
        // neither keep an edit nor say why before the first one.
        throw StoreError(path, StoreFault::ReadOnly, {});
    }

    // An existing file is opened, never made afresh: whatever it holds is
    // the operator's, and only the checks below decide whether it is used.
    sqlite3* opened = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    const int code = sqlite3_open_v2(path.c_str(), &opened, flags, nullptr);
    db.reset(opened);
    if (code != SQLITE_OK)
        fail(code);
    sqlite3_extended_result_codes(db.get(), 1);
    if (sqlite3_db_readonly(db.get(), "main") == 1)
        throw StoreError(path, StoreFault::ReadOnly, {});
    // Another program's write transaction is waited for a moment before
    // the library is called locked.
    sqlite3_busy_timeout(db.get(), 2000);
    prepareSchema();
}

void SqliteStore::fail(int code) const
{
    const char* said = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(code);
    throw StoreError(path, faultOf(code), said != nullptr ? said : "");
}

void SqliteStore::execute(const char* sql)
{
    if (const int code = sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr); code != SQLITE_OK)
        fail(code);
}

void SqliteStore::prepareSchema()
{
    // The version is the first read of the file: a file that is no
    // database fails here, before anything could be written to it.
    int version = 0;
    {
        Statement query(db.get(), "PRAGMA user_version");
        if (!query.step() && !query.ok())
            fail(query.result());
        version = int(query.integer(0));
    }
    if (version > schemaVersion)
        throw StoreError(path, StoreFault::NewerSchema, "schema " + std::to_string(version));

    // A rollback journal rather than WAL: the library stays one file (and
    // its journal only while a change is made), which the operator can
    // copy or back up as it is, which needs no shared memory beside it and
    // which works on a network folder. With synchronous writes a change is
    // on the disk when it returns, and a killed program leaves the journal
    // that puts the database back as it was.
    execute("PRAGMA synchronous = FULL");
    if (version == schemaVersion) {
        Statement check(db.get(), "PRAGMA quick_check");
        if (!check.step())
            fail(check.ok() ? SQLITE_CORRUPT : check.result());
        if (const std::string verdict = check.text(0); verdict != "ok")
            throw StoreError(path, StoreFault::Corrupt, verdict);
        execute("PRAGMA journal_mode = DELETE");
        // Reading it takes a shared lock only; a write lock shows whether
        // another program holds the library for writing.
        Transaction probe(db.get(), path);
        return;
    }

    Transaction making(db.get(), path);
    {
        // A database without the program's version is taken only when it
        // is empty: somebody else's tables are not the program's to change.
        Statement objects(db.get(), "SELECT count(*) FROM sqlite_master");
        if (!objects.step())
            fail(objects.result());
        if (objects.integer(0) != 0)
            throw StoreError(path, StoreFault::Foreign, {});
    }
    execute(schema);
    execute(("PRAGMA user_version = " + std::to_string(schemaVersion)).c_str());
    making.commit();
    execute("PRAGMA journal_mode = DELETE");
}

namespace {

Standard standardOf(const Statement& row, const std::string& path)
{
    Standard s;
    s.name = row.text(0);
    if (!row.null(1)) {
        std::size_t size = 0;
        const unsigned char* bytes = row.blob(1, size);
        if (size != reflectanceBytes)
            throw StoreError(path, StoreFault::Corrupt, "reflectance of " + s.name);
        s.reflectance = decode(bytes);
    }
    s.lab = {row.real(2), row.real(3), row.real(4)};
    s.illuminant = int(row.integer(5));
    s.observer = int(row.integer(6));
    const auto formula = formulaOfKey(row.text(7));
    if (!formula)
        throw StoreError(path, StoreFault::Corrupt, "formula of " + s.name);
    s.tolerance.formula = *formula;
    s.tolerance.deltaE = row.real(8);
    s.tolerance.dL = row.optionalReal(9);
    s.tolerance.da = row.optionalReal(10);
    s.tolerance.db = row.optionalReal(11);
    s.note = row.text(12);
    s.created = row.integer(13);
    s.changed = row.integer(14);
    return s;
}

} // namespace

std::vector<Standard> SqliteStore::all()
{
    Statement query(db.get(), std::string("SELECT ") + columns + " FROM standard ORDER BY name");
    std::vector<Standard> found;
    while (query.step())
        found.push_back(standardOf(query, path));
    if (!query.ok())
        fail(query.result());
    return found;
}

std::optional<Standard> SqliteStore::find(const std::string& name)
{
    Statement query(db.get(), std::string("SELECT ") + columns + " FROM standard WHERE name = ?");
    query.bind(1, name);
    if (query.step())
        return standardOf(query, path);
    if (!query.ok())
        fail(query.result());
    return std::nullopt;
}

void SqliteStore::add(const std::vector<Standard>& added)
{
    Transaction adding(db.get(), path);
    const std::int64_t time = now();
    for (const Standard& s : added) {
        Statement insert(db.get(), std::string("INSERT INTO standard (") + columns +
                                       ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        bindStandard(insert, s, time);
        insert.step();
        if (!insert.ok()) {
            if ((insert.result() & 0xFF) == SQLITE_CONSTRAINT)
                throw StoreError(path, StoreFault::DuplicateName, s.name);
            fail(insert.result());
        }
    }
    adding.commit();
}

void SqliteStore::rename(const std::string& name, const std::string& newName)
{
    Transaction renaming(db.get(), path);
    Statement update(db.get(), "UPDATE standard SET name = ?, changed = ? WHERE name = ?");
    update.bind(1, newName);
    update.bind(2, now());
    update.bind(3, name);
    update.step();
    if (!update.ok()) {
        if ((update.result() & 0xFF) == SQLITE_CONSTRAINT)
            throw StoreError(path, StoreFault::DuplicateName, newName);
        fail(update.result());
    }
    if (sqlite3_changes(db.get()) == 0)
        throw StoreError(path, StoreFault::NoSuchStandard, name);
    renaming.commit();
}

void SqliteStore::change(const std::string& name, const Tolerance& tolerance, const std::string& note)
{
    Transaction changing(db.get(), path);
    Statement update(db.get(), "UPDATE standard SET formula = ?, delta_e = ?, delta_l = ?, delta_a = ?, "
                               "delta_b = ?, note = ?, changed = ? WHERE name = ?");
    update.bind(1, std::string(formulaKey(tolerance.formula)));
    update.bind(2, tolerance.deltaE);
    update.bind(3, tolerance.dL);
    update.bind(4, tolerance.da);
    update.bind(5, tolerance.db);
    update.bind(6, note);
    update.bind(7, now());
    update.bind(8, name);
    update.step();
    if (!update.ok())
        fail(update.result());
    if (sqlite3_changes(db.get()) == 0)
        throw StoreError(path, StoreFault::NoSuchStandard, name);
    changing.commit();
}

void SqliteStore::remove(const std::string& name)
{
    Transaction removing(db.get(), path);
    Statement erase(db.get(), "DELETE FROM standard WHERE name = ?");
    erase.bind(1, name);
    erase.step();
    if (!erase.ok())
        fail(erase.result());
    if (sqlite3_changes(db.get()) == 0)
        throw StoreError(path, StoreFault::NoSuchStandard, name);
    removing.commit();
}

} // namespace standards
