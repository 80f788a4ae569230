#pragma once
// What tests need of the C library, in terms that hold on Linux and in the
// Windows C runtime alike.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

// This process's id, to keep the files of parallel test programs apart.
inline long processId()
{
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

// Sets (or, for null, removes) an environment variable of this process.
inline void setEnvironment(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

// The local time zone for one scope, as a POSIX zone string ("UTC0",
// "JST-9") that both C libraries read from TZ.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            saved = old;
        set(zone);
    }
    ~ScopedTimeZone() { set(saved ? saved->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

    static void set(const char* zone)
    {
        setEnvironment("TZ", zone);
#ifdef _WIN32
        _tzset();
#else
        tzset();
#endif
    }

private:
    std::optional<std::string> saved;
};

// A locale with a decimal comma: its name for setlocale, and the name that
// the platform's locale queries take (decimalPointOf).
#ifdef _WIN32
inline const char* const decimalCommaLocale = "German_Germany.1252";
inline const char* const decimalCommaLocaleName = "de-DE";
#else
inline const char* const decimalCommaLocale = "de_DE.UTF-8";
inline const char* const decimalCommaLocaleName = "de_DE.UTF-8";
#endif
