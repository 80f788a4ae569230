#include "StandInClient.h"

#include "StandInClass.h"
#include "Utf16.h"

#include <tlhelp32.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace standin {
namespace {

constexpr DISPID delayMember = 0x10001, scriptMember = 0x10002;

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    directory.erase(directory.find_last_of(L"\\/") + 1);
    return directory + name;
}

void setKey(const std::wstring& key, const wchar_t* valueName, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the registry");
    RegSetValueExW(handle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

VARIANT invoke(IDispatch* object, DISPID id, WORD kind, VARIANT* argument)
{
    DISPPARAMS params{};
    DISPID put = DISPID_PROPERTYPUT;
    if (argument != nullptr) {
        params.rgvarg = argument;
        params.cArgs = 1;
    }
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    const HRESULT status = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params,
                                          kind == DISPATCH_PROPERTYPUT ? nullptr : &result,
                                          &exception, nullptr);
    if (FAILED(status)) {
        std::string what = "stand-in call failed";
        if (exception.bstrDescription != nullptr)
            what += ": " + narrow(exception.bstrDescription, SysStringLen(exception.bstrDescription));
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        throw std::runtime_error(what);
    }
    return result;
}

} // namespace

void registerServer()
{
    const std::wstring classKey = std::wstring(L"Software\\Classes\\CLSID\\") + standInClassText;
    setKey(L"Software\\Classes\\Excel.Application\\CLSID", nullptr, standInClassText);
    setKey(classKey, nullptr, L"Excel stand-in for tests");
    setKey(classKey + L"\\LocalServer32", nullptr, L"\"" + besideThisProgram(L"excel_standin.exe") + L"\"");
    setKey(classKey + L"\\ProgID", nullptr, L"Excel.Application");
}

void endAll()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"excel_standin.exe") != 0)
            continue;
        if (const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

void quitAll()
{
    // One stand-in at a time answers; a few at most are left by a test.
    for (int left = 3; left > 0; --left) {
        IUnknown* running = nullptr;
        if (FAILED(GetActiveObject(CLSID_StandInControl, nullptr, &running)))
            break;
        running->Release();
        try {
            Server excel{Server::Attach{}};
            excel.script("userquit");
            if (!excel.ends(std::chrono::seconds(10)))
                excel.kill();
        } catch (const std::runtime_error&) {
            break;
        }
    }
    endAll();
}

Server::Server()
{
    std::wstring command = L"\"" + besideThisProgram(L"excel_standin.exe") + L"\" /Running";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        throw std::runtime_error("cannot start excel_standin.exe");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    processId = process.dwProcessId;
    connect(std::chrono::seconds(20));
}

Server::Server(Attach)
{
    // One that COM started registers itself just after it serves its class.
    connect(std::chrono::seconds(2));
    processId = DWORD(std::stoul(script("pid")));
}

void Server::connect(std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (control == nullptr) {
        IUnknown* running = nullptr;
        if (SUCCEEDED(GetActiveObject(CLSID_StandInControl, nullptr, &running))) {
            running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control));
            running->Release();
        } else if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("the stand-in did not come up");
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

Server::~Server()
{
    if (control != nullptr)
        control->Release();
    kill();
}

bool Server::ends(std::chrono::milliseconds within)
{
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr)
        return true;
    const bool ended = WaitForSingleObject(process, DWORD(within.count())) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

std::string Server::script(const std::string& command)
{
    VARIANT argument;
    argument.vt = VT_BSTR;
    const std::wstring text = wide(command);
    argument.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
    VARIANT result = invoke(control, scriptMember, DISPATCH_METHOD, &argument);
    SysFreeString(argument.bstrVal);
    std::string answer = result.vt == VT_BSTR ? narrow(result.bstrVal, SysStringLen(result.bstrVal)) : "";
    VariantClear(&result);
    return answer;
}

void Server::delayNextCall(int milliseconds)
{
    VARIANT argument;
    argument.vt = VT_I4;
    argument.lVal = milliseconds;
    invoke(control, delayMember, DISPATCH_PROPERTYPUT, &argument);
}

void Server::kill()
{
    if (processId == 0)
        return;
    if (const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    processId = 0;
}

} // namespace standin
