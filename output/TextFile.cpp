#include "TextFile.h"

#include "PlatformFiles.h"

namespace tonvale {
namespace {

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The text's lines (ended by CR LF) with their tab-separated fields joined
// by commas.
std::string csvOf(const std::string& text)
{
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto lineEnd = text.find("\r\n", start);
        const auto end = lineEnd == std::string::npos ? text.size() : lineEnd;
        for (std::size_t field = start;;) {
            const auto tab = text.find('\t', field);
            const auto fieldEnd = tab == std::string::npos || tab > end ? end : tab;
            out += csvField(text.substr(field, fieldEnd - field));
            if (fieldEnd == end)
                break;
            out += ',';
            field = fieldEnd + 1;
        }
        if (lineEnd == std::string::npos)
            break;
        out += "\r\n";
        start = lineEnd + 2;
    }
    return out;
}

// Every line end, CR LF or a lone LF, as one CR LF.
std::string withCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n')
            out += '\r';
        out += text[i];
    }
    return out;
}

} // namespace

std::string csvField(std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(field);
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string textFileBytes(const std::string& text, const std::string& path)
{
    return toFileText(withCrLf(endsWith(path, ".csv") ? csvOf(text) : text));
}

std::string withDefaultExtension(const std::string& path, const std::string& wildcard,
                                 int filterIndex)
{
    const std::string name = utf8Of(pathOf(path).filename());
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        return path;
    // The filter's pattern is field 2 * filterIndex + 1 of the wildcard.
    std::size_t start = filterIndex < 0 ? std::string::npos : 0;
    for (int field = 0; field < 2 * filterIndex + 1 && start != std::string::npos; ++field) {
        start = wildcard.find('|', start);
        if (start != std::string::npos)
            ++start;
    }
    const std::string pattern =
        start == std::string::npos ? "" : wildcard.substr(start, wildcard.find('|', start) - start);
    if (pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0 &&
        pattern.find_first_of("*?;", 2) == std::string::npos)
        return path + pattern.substr(1);
    return path + ".txt";
}

std::string suggestedFileName(const std::tm& day)
{
    char name[40];
    std::strftime(name, sizeof name, "Tonvale_%Y-%m-%d.csv", &day);
    return name;
}

std::string fileDialogWildcard(const std::string& filter)
{
    if (endsWith(filter, "||"))
        return filter.substr(0, filter.size() - 2);
    return filter;
}

} // namespace tonvale
