#include "Reply.h"

#include "PropertyFile.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace tonvale {
namespace {

constexpr int msgNotConnected = 102;
constexpr int msgUnexpected = 159;

// Reply codes of class OK that are warnings: the reply still counts.
constexpr std::pair<int, int> warningMessages[] = {
    {2, 104}, {3, 105}, {4, 106}, {5, 107}, {9, 108}};
// Reply codes of class ER that have a message of their own.
constexpr std::pair<int, int> errorMessages[] = {
    {0, 109},  {2, 110},  {5, 111},  {7, 112},  {8, 113},  {10, 114}, {11, 115},
    {13, 116}, {15, 117}, {20, 118}, {24, 119}, {25, 120}, {27, 121}};

// Message of number in table, or 0.
template <std::size_t N>
int messageFor(const std::pair<int, int> (&table)[N], int number)
{
    const auto* row = std::find_if(std::begin(table), std::end(table),
                                   [number](const auto& entry) { return entry.first == number; });
    return row == std::end(table) ? 0 : row->second;
}

} // namespace

ReplyJudgement judgeReply(std::string_view reply)
{
    const std::string_view code = reply.substr(0, 4);
    if (code.empty())
        return {false, 0};
    const std::string_view kind = code.substr(0, 2);
    const std::string_view digits = replyField(code, 2, 2);
    const int number = leadingInt(digits);
    if (kind == "OK") {
        if (number == 0)
            return digits == "00" ? ReplyJudgement{true, 0} : ReplyJudgement{false, msgUnexpected};
        const int warning = messageFor(warningMessages, number);
        return warning != 0 ? ReplyJudgement{true, warning} : ReplyJudgement{false, msgUnexpected};
    }
    if (kind == "ER") {
        const int error = messageFor(errorMessages, number);
        return {false, error != 0 ? error : msgNotConnected};
    }
    return {false, msgUnexpected};
}

std::string_view replyField(std::string_view reply, std::size_t position, std::size_t length)
{
    return position < reply.size() ? reply.substr(position, length) : std::string_view();
}

int replyNumber(std::string_view reply, std::size_t position, std::size_t length)
{
    return leadingInt(replyField(reply, position, length));
}

bool isDataLineOrRest(std::string_view line)
{
    if (line.find(',') != std::string_view::npos)
        return true;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return !line.empty() && line.find_first_not_of("0123456789+-.") == std::string_view::npos;
}

} // namespace tonvale
