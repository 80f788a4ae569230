#include "PropertyFile.h"

#include "AtomicFile.h"
#include "Messages.h"
#include "PlatformFiles.h"

#include <climits>
#include <stdexcept>
#include <system_error>

namespace tonvale {
namespace {

constexpr std::string_view whiteSpace = " \t\r\n\v\f";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(whiteSpace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(whiteSpace);
    return text.substr(first, last - first + 1);
}

bool isSpace(char c)
{
    return whiteSpace.find(c) != std::string_view::npos;
}

} // namespace

std::int32_t leadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulate towards the limit of the sign so that INT_MIN itself fits.
    const std::int64_t limit = negative ? -std::int64_t(INT32_MIN) : INT32_MAX;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            value = limit;
            break;
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void PropertyFile::parseLine(std::string_view line)
{
    if (!line.empty() && line.front() == '#')
        return;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    const auto key = trimmed(line.substr(0, equals));
    const auto value = trimmed(line.substr(equals + 1));
    if (key.empty() || value.empty())
        return;
    setString(std::string(key), std::string(value));
}

bool PropertyFile::load(const std::string& path)
{
    // Lines are taken as they arrive so that a read error keeps the entries
    // before it.
    std::string pending;
    auto take = [this, &pending](std::string_view chunk) {
        pending.append(chunk);
        std::size_t start = 0;
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n', start)) {
            std::string_view line(pending.data() + start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            parseLine(fromFileText(line));
            start = end + 1;
        }
        pending.erase(0, start);
    };
    std::error_code error;
    switch (readFileChunks(path, take, error)) {
    case ReadResult::Missing:
        return false;
    case ReadResult::Failed:
        showText(fileErrorText(path, error, FileAccess::Read));
        return false;
    case ReadResult::Read:
        break;
    }
    parseLine(fromFileText(pending));
    return true;
}

void PropertyFile::save(const std::string& path) const
{
    std::string contents;
    for (const auto& [key, value] : entries) {
        contents += key;
        contents += '=';
        contents += value;
        contents += "\r\n";
    }
    if (const auto error = writeFileAtomically(path, toFileText(contents)))
        showText(fileErrorText(path, error, FileAccess::Write));
}

const std::string& PropertyFile::getString(const std::string& key) const
{
    const auto found = entries.find(key);
    if (found == entries.end())
        throw std::invalid_argument("Invalid Property Key");
    return found->second;
}

std::int32_t PropertyFile::getInt(const std::string& key) const
{
    return leadingInt(getString(key));
}

void PropertyFile::setString(const std::string& key, const std::string& value)
{
    entries[key] = value;
}

void PropertyFile::setInt(const std::string& key, std::int32_t value)
{
    setString(key, std::to_string(value));
}

} // namespace tonvale
