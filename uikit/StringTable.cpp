#include "uikit/StringTable.h"

namespace uikit {

StringTable::StringTable(std::initializer_list<std::pair<const int, std::string>> entries)
    : texts(entries)
{
}

const std::string& StringTable::get(int id) const
{
    static const std::string none;
    auto it = texts.find(id);
    return it == texts.end() ? none : it->second;
}

std::string StringTable::format(int id, const std::string& arg) const
{
    return fillArgument(get(id), arg);
}

std::string fillArgument(const std::string& text, const std::string& arg)
{
    std::string out;
    out.reserve(text.size() + arg.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '1') {
            out += arg;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace uikit
