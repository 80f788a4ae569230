#pragma once
// UTF-8 (the tests' text) to and from UTF-16 (what COM carries), for the
// stand-in and its client.

#include <windows.h>

#include <string>

namespace standin {

inline std::wstring wide(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

inline std::string narrow(const wchar_t* text, std::size_t length)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace standin
