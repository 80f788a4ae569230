#include "Dispatch.h"

#include <wx/app.h>
#include <wx/log.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <algorithm>
#include <optional>

namespace sheetwire::excel {

std::wstring toUtf16(const std::string& utf8)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
    return wide;
}

std::string toUtf8(const wchar_t* text, std::size_t length)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, int(length), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string systemText(HRESULT result)
{
    return wxSysErrorMsgStr(static_cast<unsigned long>(result)).utf8_string();
}

Variant::Variant(const Variant& other)
{
    VariantInit(&value);
    VariantCopy(&value, const_cast<VARIANT*>(&other.value));
}

Variant Variant::int16(std::int16_t number)
{
    Variant v;
    v.value.vt = VT_I2;
    v.value.iVal = number;
    return v;
}

Variant Variant::int32(std::int32_t number)
{
    Variant v;
    v.value.vt = VT_I4;
    v.value.lVal = number;
    return v;
}

Variant Variant::real(double number)
{
    Variant v;
    v.value.vt = VT_R8;
    v.value.dblVal = number;
    return v;
}

Variant Variant::boolean(bool flag)
{
    Variant v;
    v.value.vt = VT_BOOL;
    v.value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::text(const std::string& utf8)
{
    const std::wstring wide = toUtf16(utf8);
    Variant v;
    v.value.vt = VT_BSTR;
    v.value.bstrVal = SysAllocStringLen(wide.data(), UINT(wide.size()));
    return v;
}

Variant Variant::null()
{
    Variant v;
    v.value.vt = VT_NULL;
    return v;
}

Variant Variant::omitted()
{
    Variant v;
    v.value.vt = VT_ERROR;
    v.value.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

Variant Variant::dispatch(IDispatch* object)
{
    Variant v;
    v.value.vt = VT_DISPATCH;
    v.value.pdispVal = object;
    if (object != nullptr)
        object->AddRef();
    return v;
}

Variant Variant::cell(const CellValue& cellValue)
{
    if (const auto* number = std::get_if<std::int32_t>(&cellValue))
        return int32(*number);
    if (const auto* number = std::get_if<double>(&cellValue))
        return real(*number);
    return text(std::get<std::string>(cellValue));
}

Dispatch::~Dispatch()
{
    if (object != nullptr)
        object->Release();
}

Dispatch::Dispatch(const Dispatch& other)
    : object(other.object), name(other.name), busyWait(other.busyWait)
{
    if (object != nullptr)
        object->AddRef();
}

Dispatch& Dispatch::operator=(Dispatch other) noexcept
{
    std::swap(object, other.object);
    std::swap(name, other.name);
    std::swap(busyWait, other.busyWait);
    return *this;
}

namespace {

// Excel's own error codes, as they come in EXCEPINFO.
constexpr HRESULT excelObjectRequired = HRESULT(0x800A01A8); // an object no longer there
constexpr HRESULT excelObjectDefined = HRESULT(0x800A03EC);  // "application-defined error"

AutomationFailure failureOf(HRESULT status, const char* member)
{
    switch (status) {
    case RPC_E_CALL_REJECTED:
    case RPC_E_SERVERCALL_RETRYLATER:
        return AutomationFailure::Busy;
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
    case CO_E_OBJNOTCONNECTED:
    case E_POINTER:
        return AutomationFailure::ApplicationGone;
    case DISP_E_BADINDEX:
        return AutomationFailure::NoSuchItem;
    case excelObjectRequired:
        return AutomationFailure::WorkbookClosed;
    case excelObjectDefined:
        return std::string(member) == "Open" ? AutomationFailure::CannotOpen
                                             : AutomationFailure::Refused;
    default:
        return AutomationFailure::Refused;
    }
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

constexpr std::chrono::milliseconds retryStep{100};

// The wait of the calls this thread makes now, for the message filter.
thread_local std::chrono::milliseconds currentBusyWait{};

// COM's message filter on the thread that calls Excel: a call Excel asks to
// retry later is retried in short steps for as long as the call may wait
// for a busy Excel; meanwhile COM's own wait repaints the windows and holds
// back the user's input. Where COM does not retry at all (Wine), the call
// comes back rejected at once and Dispatch::invoke retries it the same way.
class BusyFilter : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // One for the process, never freed.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejection) override
    {
        if (rejection == SERVERCALL_RETRYLATER &&
            std::chrono::milliseconds(elapsed) < currentBusyWait)
            return DWORD(retryStep.count());
        return DWORD(-1); // give up: the call fails as rejected
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override
    {
        // Paint and activation go on; the user's input waits.
        return PENDINGMSG_WAITDEFPROCESS;
    }
};

void filterThisThread()
{
    static BusyFilter filter;
    thread_local bool registered = false;
    if (!registered)
        registered = SUCCEEDED(CoRegisterMessageFilter(&filter, nullptr));
}

bool rejected(HRESULT status)
{
    return status == RPC_E_CALL_REJECTED || status == RPC_E_SERVERCALL_RETRYLATER;
}

// Waits, dispatching only paint messages: the windows stay drawn and no
// input reaches the program while an operation of it is under way.
void waitRepainting(std::chrono::milliseconds time)
{
    const auto until = std::chrono::steady_clock::now() + time;
    for (auto now = std::chrono::steady_clock::now(); now < until;
         now = std::chrono::steady_clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left.count()), QS_PAINT);
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageW(&message);
    }
}

} // namespace

void Dispatch::fail(const char* member, HRESULT status, const std::string& reason) const
{
    throw AutomationError(failureOf(status, member), name + "." + member + ": " + trimmed(reason));
}

Variant Dispatch::invoke(const char* member, DISPID id, WORD kind,
                         std::vector<Variant> arguments) const
{
    if (object == nullptr)
        fail(member, E_POINTER, systemText(E_POINTER));
    // Invoke takes the arguments last to first.
    std::reverse(arguments.begin(), arguments.end());
    std::vector<VARIANT> raw;
    raw.reserve(arguments.size());
    for (Variant& argument : arguments)
        raw.push_back(argument.get());
    DISPPARAMS parameters{};
    parameters.rgvarg = raw.empty() ? nullptr : raw.data();
    parameters.cArgs = UINT(raw.size());
    DISPID putId = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &putId;
        parameters.cNamedArgs = 1;
    }
    filterThisThread();
    currentBusyWait = busyWait;
    const auto start = std::chrono::steady_clock::now();
    std::optional<wxBusyCursor> waiting;
    Variant result;
    EXCEPINFO exception{};
    for (;;) {
        UINT argumentError = 0;
        const HRESULT status =
            object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                           kind == DISPATCH_PROPERTYPUT ? nullptr : &result.get(), &exception,
                           &argumentError);
        if (SUCCEEDED(status))
            return result;
        if (rejected(status) && std::chrono::steady_clock::now() - start < busyWait) {
            if (!waiting && wxTheApp != nullptr && wxIsMainThread())
                waiting.emplace();
            waitRepainting(retryStep);
            continue;
        }
        if (status != DISP_E_EXCEPTION)
            fail(member, status, systemText(status));
        break;
    }

    if (exception.pfnDeferredFillIn != nullptr)
        exception.pfnDeferredFillIn(&exception);
    const HRESULT code = exception.scode != 0 ? exception.scode : HRESULT(exception.wCode);
    std::string reason;
    if (exception.bstrDescription != nullptr)
        reason = toUtf8(exception.bstrDescription, SysStringLen(exception.bstrDescription));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    fail(member, code, reason.empty() ? systemText(code) : reason);
}

Variant Dispatch::get(const char* member, DISPID id, std::vector<Variant> arguments) const
{
    return invoke(member, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(arguments));
}

void Dispatch::put(const char* member, DISPID id, Variant value) const
{
    std::vector<Variant> arguments;
    arguments.push_back(std::move(value));
    invoke(member, id, DISPATCH_PROPERTYPUT, std::move(arguments));
}

Variant Dispatch::call(const char* member, DISPID id, std::vector<Variant> arguments) const
{
    return invoke(member, id, DISPATCH_METHOD, std::move(arguments));
}

Dispatch Dispatch::getObject(const char* member, DISPID id, const char* resultName,
                             std::vector<Variant> arguments) const
{
    Variant result = get(member, id, std::move(arguments));
    if (result.get().vt != VT_DISPATCH || result.get().pdispVal == nullptr)
        fail(member, DISP_E_TYPEMISMATCH, systemText(DISP_E_TYPEMISMATCH));
    IDispatch* other = result.get().pdispVal;
    other->AddRef();
    return adopt(other, resultName);
}

Dispatch Dispatch::getObjectOrNothing(const char* member, DISPID id, const char* resultName) const
{
    Variant result = get(member, id);
    if (result.get().vt == VT_EMPTY ||
        (result.get().vt == VT_DISPATCH && result.get().pdispVal == nullptr))
        return {};
    if (result.get().vt != VT_DISPATCH)
        fail(member, DISP_E_TYPEMISMATCH, systemText(DISP_E_TYPEMISMATCH));
    IDispatch* other = result.get().pdispVal;
    other->AddRef();
    return adopt(other, resultName);
}

std::int32_t Dispatch::getLong(const char* member, DISPID id) const
{
    Variant result = get(member, id);
    const HRESULT status = VariantChangeType(&result.get(), &result.get(), 0, VT_I4);
    if (FAILED(status))
        fail(member, status, systemText(status));
    return result.get().lVal;
}

std::string Dispatch::getText(const char* member, DISPID id) const
{
    Variant result = get(member, id);
    const HRESULT status = VariantChangeType(&result.get(), &result.get(), 0, VT_BSTR);
    if (FAILED(status))
        fail(member, status, systemText(status));
    return toUtf8(result.get().bstrVal, SysStringLen(result.get().bstrVal));
}

} // namespace sheetwire::excel
