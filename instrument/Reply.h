#pragma once
// Reading the instrument's reply lines: the judgement of the reply code that
// begins every line, the fields at fixed positions, and telling data lines
// from plain replies. Any bytes are a line these take: a short or odd line
// reads as missing fields, never beyond its end.

#include <cstddef>
#include <string_view>

namespace tonvale {

struct ReplyJudgement {
    bool success;
    int message; // the string-table message the code shows; 0: none
};

// Judges the first four characters of a reply line: class "OK" or "ER" at
// positions 0-1, the number at positions 2-3 read as atoi reads it. OK00 is
// success; OK02-OK05 and OK09 are warnings (success with a message); every
// other code is a failure with its message. An empty line fails silently.
ReplyJudgement judgeReply(std::string_view reply);

// The field of length characters at position, as far as the line goes;
// empty when the line ends before it.
std::string_view replyField(std::string_view reply, std::size_t position, std::size_t length);

// The field read as atoi reads it; a field missing from a short line reads 0.
int replyNumber(std::string_view reply, std::size_t position, std::size_t length);

// Whether line is a data line (its values follow commas) or the rest of one
// that a cancelled wait cut short, rather than the reply to a command that
// carries no data.
bool isDataLineOrRest(std::string_view line);

} // namespace tonvale
