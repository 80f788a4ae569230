// Fuzzes PropertyFile::load with arbitrary file contents and checks the
// result against a plain reading of the line rules: every entry loaded as
// the rules say, and the saved file exactly those entries in key order.

#include "PropertyFile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>

#include <stdlib.h>
#include <unistd.h>

namespace {

std::string_view trim(std::string_view s)
{
    const std::string_view blanks = " \t\r\n\v\f";
    while (!s.empty() && blanks.find(s.front()) != std::string_view::npos)
        s.remove_prefix(1);
    while (!s.empty() && blanks.find(s.back()) != std::string_view::npos)
        s.remove_suffix(1);
    return s;
}

std::map<std::string, std::string> expectedEntries(std::string_view file)
{
    std::map<std::string, std::string> entries;
    while (!file.empty()) {
        const auto end = file.find('\n');
        std::string_view line = file.substr(0, end);
        file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const auto equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos)
            continue;
        const auto key = trim(line.substr(0, equals));
        const auto value = trim(line.substr(equals + 1));
        if (!key.empty() && !value.empty())
            entries[std::string(key)] = std::string(value);
    }
    return entries;
}

// tmpfs when there is one: save flushes every file to the disk.
const std::string& workDirectory()
{
    static const std::string dir = [] {
        std::string name = access("/dev/shm", W_OK) == 0 ? "/dev/shm/tonvale-fuzz-XXXXXX" : "/tmp/tonvale-fuzz-XXXXXX";
        if (mkdtemp(name.data()) == nullptr)
            abort();
        return name;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string in = workDirectory() + "/in.ini";
    const std::string out = workDirectory() + "/out.ini";
    std::ofstream(in, std::ios::binary | std::ios::trunc) << bytes;

    tonvale::PropertyFile store;
    if (!store.load(in))
        abort();
    std::string expectedFile;
    for (const auto& [key, value] : expectedEntries(bytes)) {
        if (store.getString(key) != value)
            abort();
        expectedFile += key + "=" + value + "\r\n";
    }
    store.save(out);
    std::ifstream saved(out, std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>()) != expectedFile)
        abort();
    return 0;
}
