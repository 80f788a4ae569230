#pragma once
// The standards library as the program sees it: one interface, whatever
// keeps the standards (a file of the user's own today, perhaps a lab's
// shared server later). The views never learn which store is below them.

#include "standards/Standard.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standards {

// Why a store refused to open or to change.
enum class StoreFault {
    // Not a database, or a database that is damaged.
    Corrupt,
    // A database, but none of the program's (other tables, no version).
    Foreign,
    // Made by a later version of the program, whose layout this one does not know.
    NewerSchema,
    // The file, or its folder, may not be written.
    ReadOnly,
    // Another program holds it for writing.
    Locked,
    // A standard of that name is there already.
    DuplicateName,
    // No standard of that name is there.
    NoSuchStandard,
    // Anything else the system reported (a full disk, a missing folder).
    Io,
};

class StoreError : public std::runtime_error {
public:
    StoreError(std::string file, StoreFault fault, std::string detail);

    // The store's file (or address), as the message to the operator names it.
    const std::string& file() const { return where; }
    StoreFault fault() const { return kind; }
    // What the system said, untranslated; may be empty.
    const std::string& detail() const { return said; }

private:
    std::string where;
    StoreFault kind;
    std::string said;
};

class Store {
public:
    virtual ~Store() = default;

    // Where the standards are kept, as a message names it.
    virtual std::string location() const = 0;

    // Every standard, by name (byte order of the UTF-8 text).
    virtual std::vector<Standard> all() = 0;
    virtual std::optional<Standard> find(const std::string& name) = 0;

    // Adds the standards as one change: all of them or, on any error, none.
    // A standard made or changed at 0 is stamped with the present time.
    virtual void add(const std::vector<Standard>& added) = 0;
    void add(const Standard& added) { add(std::vector<Standard>{added}); }

    virtual void rename(const std::string& name, const std::string& newName) = 0;
    virtual void change(const std::string& name, const Tolerance& tolerance, const std::string& note) = 0;
    virtual void remove(const std::string& name) = 0;
};

} // namespace standards
