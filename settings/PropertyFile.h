#pragma once
// The program's settings store: named text values kept in memory and read
// from, or written back to, one file of key=value lines.

#include <cstdint>
#include <map>
#include <string>

namespace tonvale {

class PropertyFile {
public:
    PropertyFile() = default;
    virtual ~PropertyFile() = default;

    // Merges the entries of the file at path into the store. False when the
    // file does not exist (silently) or could not be read (after telling the
    // user); entries read before a read error stay.
    bool load(const std::string& path);

    // Replaces the file at path by the store's entries, one "key=value" CR LF
    // line each in key order. A failure is shown to the user and leaves the
    // file as it was.
    void save(const std::string& path) const;

    // The value of key; throws std::invalid_argument("Invalid Property Key")
    // when the store has no such key.
    const std::string& getString(const std::string& key) const;

    // The value of key read as a decimal integer: leading white space, an
    // optional sign, then digits up to the first other character; a value
    // that does not start with a number gives 0, one beyond the 32-bit range
    // the nearest limit. Throws like getString.
    std::int32_t getInt(const std::string& key) const;

    void setString(const std::string& key, const std::string& value);
    void setInt(const std::string& key, std::int32_t value);

private:
    void parseLine(std::string_view line);

    // std::string orders by unsigned bytes, shorter prefix first.
    std::map<std::string, std::string> entries;
};

// The leading-integer reading of getInt, for a text that is not in a store.
std::int32_t leadingInt(std::string_view text);

} // namespace tonvale
