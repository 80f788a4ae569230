#pragma once
// Raw line bytes as printable text for the command log and the control
// channel: backslash escapes \r \n \t \0 \\ and \xNN for other bytes outside
// printable ASCII.

#include <optional>
#include <string>
#include <string_view>

namespace sxsim {

std::string escapeBytes(std::string_view bytes);
// Nothing when an escape is malformed.
std::optional<std::string> unescapeBytes(std::string_view text);

} // namespace sxsim
