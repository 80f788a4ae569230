#include "AutoNaming.h"

#include "Messages.h"
#include "Settings.h"

#include <algorithm>
#include <charconv>

namespace tonvale {
namespace {

// The standard messages of the dialog's data validation.
constexpr const char* notANumberText = "正の整数を入力してください。";
constexpr const char* numberRangeText = "1 から 99999 までの整数を入力してください。";
constexpr const char* prefixLengthText = "30 文字以内で入力してください。";

// The number field holds digits only; anything else, the empty text
// included, is no number.
bool parseNumber(const std::string& text, unsigned long long& number)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    // A number too large to hold is out of range all the same.
    if (error == std::errc::result_out_of_range)
        number = ~0ULL;
    return end == text.data() + text.size();
}

std::size_t characterCount(const std::string& utf8)
{
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

void AutoNaming::setSettings(PropertyFile& settings, std::string settingsFile)
{
    store = &settings;
    path = std::move(settingsFile);
}

void AutoNaming::open()
{
    openedAutoNaming = readInt(*store, key::chkAutoNaming, fallback::chkAutoNaming);
    openedPrefix = readString(*store, key::nameDefault, fallback::nameDefault);
    openedNumber = readInt(*store, key::mesNum, fallback::mesNum);
    numberText = std::to_string(openedNumber);
    prefix = openedPrefix;
    autoNaming = openedAutoNaming == 1;
}

AutoNaming::Invalid AutoNaming::confirm()
{
    store->setInt(key::chkAutoNaming, autoNaming ? 1 : 0);
    store->setInt(key::mesNum, leadingInt(numberText));
    store->setString(key::nameDefault, prefix);
    store->save(path);

    unsigned long long number = 0;
    if (!parseNumber(numberText, number)) {
        showText(notANumberText);
        return Invalid::Number;
    }
    if (number < firstMesNum || number > lastMesNum) {
        showText(numberRangeText);
        return Invalid::Number;
    }
    if (characterCount(prefix) > nameDefaultMaxChars) {
        showText(prefixLengthText);
        return Invalid::Prefix;
    }
    return Invalid::None;
}

void AutoNaming::cancel()
{
    store->setInt(key::chkAutoNaming, openedAutoNaming);
    store->setString(key::nameDefault, openedPrefix);
    store->setInt(key::mesNum, openedNumber);
    store->save(path);
}

std::string AutoNaming::stepNumber(const std::string& numberText, int delta)
{
    const long long moved = static_cast<long long>(leadingInt(numberText)) + delta;
    return std::to_string(std::clamp<long long>(moved, firstMesNum, lastMesNum));
}

} // namespace tonvale
