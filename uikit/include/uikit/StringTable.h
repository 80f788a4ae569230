#pragma once
// A deliverable's table of user-visible texts, looked up by numeric id.
// Texts are UTF-8; "%1" in a text is filled with one argument.

#include <map>
#include <string>
#include <utility>
#include <initializer_list>

namespace uikit {

class StringTable {
public:
    StringTable(std::initializer_list<std::pair<const int, std::string>> entries);

    // The text of id, or an empty string when the table has no such id
    // (as a failed LoadString leaves its buffer empty).
    const std::string& get(int id) const;

    // The text of id with every "%1" replaced by arg.
    std::string format(int id, const std::string& arg) const;

private:
    std::map<int, std::string> texts;
};

// Replaces every "%1" in text by arg.
std::string fillArgument(const std::string& text, const std::string& arg);

} // namespace uikit
