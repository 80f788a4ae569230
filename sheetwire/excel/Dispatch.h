#pragma once
// Late-bound automation calls: a counted IDispatch reference, VARIANT
// arguments and results, and Invoke by dispatch identifier with every
// failure turned into AutomationError.

#include "sheetwire/Automation.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <oaidl.h>

namespace sheetwire::excel {

// An owned VARIANT, cleared when it goes.
class Variant {
public:
    Variant() { VariantInit(&value); }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept : value(other.value) { VariantInit(&other.value); }
    Variant& operator=(Variant other) noexcept
    {
        std::swap(value, other.value);
        return *this;
    }

    static Variant int16(std::int16_t number);
    static Variant int32(std::int32_t number);
    static Variant real(double number);
    static Variant boolean(bool flag);
    static Variant text(const std::string& utf8);
    static Variant null();
    // An optional argument left out.
    static Variant omitted();
    static Variant dispatch(IDispatch* object);
    static Variant cell(const CellValue& cellValue);

    VARIANT& get() { return value; }
    const VARIANT& get() const { return value; }

private:
    VARIANT value;
};

// A counted reference on an automation object, with the name that failures
// give it ("Range", "Workbooks") and how long its calls wait for a busy
// Excel: a call that Excel rejects because it is busy (its user editing a
// cell, one of its dialogs open) is tried again, in short steps while the
// program's windows repaint, until then, and fails as
// AutomationFailure::Busy after it.
class Dispatch {
public:
    Dispatch() = default;
    // Takes over one reference.
    Dispatch(IDispatch* object, std::string name, std::chrono::milliseconds busyWait)
        : object(object), name(std::move(name)), busyWait(busyWait)
    {
    }
    ~Dispatch();
    Dispatch(const Dispatch& other);
    Dispatch& operator=(Dispatch other) noexcept;

    explicit operator bool() const { return object != nullptr; }
    IDispatch* raw() const { return object; }
    // Another object reached from this one, taking over one reference; its
    // calls wait for a busy Excel as this one's do.
    Dispatch adopt(IDispatch* other, std::string otherName) const
    {
        return Dispatch(other, std::move(otherName), busyWait);
    }

    // Property get, property put and method call by dispatch identifier;
    // arguments in the member's order. Failures leave as AutomationError of
    // the kind the HRESULT (or Excel's error code) tells, with the detail
    // "Name.Member: reason" (Excel's own description, else the system's
    // text).
    Variant get(const char* member, DISPID id, std::vector<Variant> arguments = {}) const;
    void put(const char* member, DISPID id, Variant value) const;
    Variant call(const char* member, DISPID id, std::vector<Variant> arguments = {}) const;

    // Results of a property get.
    Dispatch getObject(const char* member, DISPID id, const char* resultName,
                       std::vector<Variant> arguments = {}) const;
    // The same for a property that Excel answers with Nothing when there is
    // no such object (no workbook open): an empty Dispatch then.
    Dispatch getObjectOrNothing(const char* member, DISPID id, const char* resultName) const;
    std::int32_t getLong(const char* member, DISPID id) const;
    std::string getText(const char* member, DISPID id) const;

private:
    Variant invoke(const char* member, DISPID id, WORD kind, std::vector<Variant> arguments) const;
    [[noreturn]] void fail(const char* member, HRESULT status, const std::string& reason) const;

    IDispatch* object = nullptr;
    std::string name;
    std::chrono::milliseconds busyWait{};
};

// The system's text for an HRESULT.
std::string systemText(HRESULT result);

std::wstring toUtf16(const std::string& utf8);
std::string toUtf8(const wchar_t* text, std::size_t length);

} // namespace sheetwire::excel
