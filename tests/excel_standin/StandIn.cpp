// excel_standin: a stand-in for Excel's automation server, for the Windows
// edition's tests only. It is an out-of-process COM server that the test
// prefix registers as "Excel.Application": started by COM (-Embedding) it
// serves its class object; started with /Running it is an Excel the user
// has open. Either way its Application is in the running object table.
//
// Its objects carry Excel's dispatch identifiers and accept only the
// argument shapes Excel's type library gives the members Sheetwire calls
// (anything else is DISP_E_TYPEMISMATCH, so that a wrong shape fails a test
// instead of being coerced as Excel would). Behind them is the in-memory
// spreadsheet model of the tests, whose call log and state tests read back
// through the stand-in's own members (dispatch identifiers from 0x10001):
//   StandInDelay(ms)          put: the next call waits this long first
//   StandInScript(command)    method: set up or read back the model, see
//                             script() below
// Failures of the model are Excel's: DISP_E_EXCEPTION with the model's text
// as the description.

#include "sheetwire/MemorySpreadsheet.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>
#include <oleauto.h>

#include "StandInClass.h"
#include "Utf16.h"

using namespace sheetwire;

namespace {

std::shared_ptr<MemorySpreadsheet> model;
std::atomic<long> delayMs{0};
// The user answers the next Delete's confirmation with Cancel.
std::atomic<bool> cancelNextDelete{false};
// Until then (GetTickCount64) the user edits a cell: Excel takes no calls.
std::atomic<ULONGLONG> busyUntil{0};

bool busy()
{
    return GetTickCount64() < busyUntil.load();
}

// How long the user takes to answer the question of the next Close or Quit
// (milliseconds; 0: no question).
std::atomic<ULONGLONG> nextQuestion{0};

// Excel asks its user before it closes a workbook with unsaved changes, and
// before it quits with such a workbook open; the method returns only once
// the user has answered. Meanwhile its question window is up and, as under
// any dialog of Excel, other calls are refused.
void askUser()
{
    const ULONGLONG answerAfter = nextQuestion.exchange(0);
    if (answerAfter == 0)
        return;
    const ULONGLONG until = GetTickCount64() + answerAfter;
    busyUntil = until;
    const HWND question = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Microsoft Excel",
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 360, 120,
                                          nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(until - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DestroyWindow(question);
}

// Excel's message filter: while its user edits a cell it asks every caller
// to retry later.
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
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return busy() ? SERVERCALL_RETRYLATER : SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return DWORD(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override
    {
        return PENDINGMSG_WAITDEFPROCESS;
    }
};
DWORD mainThread = 0;

using standin::narrow;
using standin::wide;

// A member's failure as Excel reports it.
struct Failure {
    HRESULT status;
    std::string description;
};

// Excel's own error codes for what the model refuses: an index out of range,
// an object no longer there, and its "application-defined error" for the
// rest.
constexpr HRESULT excelObjectRequired = HRESULT(0x800A01A8);
constexpr HRESULT excelObjectDefined = HRESULT(0x800A03EC);
// The stand-in's own members (StandInDelay, StandInScript) from here.
constexpr DISPID standInMembers = 0x10000;
constexpr LCID excelLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);

HRESULT excelCode(AutomationFailure failure)
{
    switch (failure) {
    case AutomationFailure::NoSuchItem: return DISP_E_BADINDEX;
    case AutomationFailure::WorkbookClosed: return excelObjectRequired;
    default: return excelObjectDefined;
    }
}

// The arguments of one call, first to last.
class Arguments {
public:
    explicit Arguments(DISPPARAMS* params)
    {
        const UINT positional = params->cArgs - params->cNamedArgs;
        for (UINT i = 0; i < positional; ++i)
            values.push_back(&params->rgvarg[params->cArgs - 1 - i]);
        for (UINT i = 0; i < params->cNamedArgs; ++i)
            if (params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT)
                putValue = &params->rgvarg[i];
    }

    void expectCount(std::size_t count) const
    {
        if (values.size() != count)
            throw Failure{DISP_E_BADPARAMCOUNT, {}};
    }
    const VARIANT& at(std::size_t i, VARTYPE type) const
    {
        if (i >= values.size() || values[i]->vt != type)
            throw Failure{DISP_E_TYPEMISMATCH, {}};
        return *values[i];
    }
    void expectOmitted(std::size_t i) const
    {
        const VARIANT& v = at(i, VT_ERROR);
        if (v.scode != DISP_E_PARAMNOTFOUND)
            throw Failure{DISP_E_TYPEMISMATCH, {}};
    }
    std::int16_t int16(std::size_t i) const { return at(i, VT_I2).iVal; }
    std::int32_t int32(std::size_t i) const { return at(i, VT_I4).lVal; }
    std::string text(std::size_t i) const
    {
        const VARIANT& v = at(i, VT_BSTR);
        return narrow(v.bstrVal, SysStringLen(v.bstrVal));
    }
    const VARIANT& put(VARTYPE type) const
    {
        if (putValue == nullptr || putValue->vt != type)
            throw Failure{DISP_E_TYPEMISMATCH, {}};
        return *putValue;
    }
    const VARIANT* putAny() const { return putValue; }

private:
    std::vector<VARIANT*> values;
    VARIANT* putValue = nullptr;
};

enum Kind { Get, Put, Method };

class Object;

// A handler fills the result (left VT_EMPTY for none).
using Handler = std::function<void(const Arguments&, VARIANT&)>;

struct Member {
    const wchar_t* name;
    Kind kind;
    Handler handle;
};

// Objects alive in this process (the Application and the test's control
// object included) and the external connections to the Application: while
// any is held by a client, Excel stays.
std::atomic<int> liveObjects{0};
std::atomic<int> applicationConnections{0};
void endWhenUnheld();

// An IDispatch over a table of members.
class Object : public IDispatch {
public:
    Object() { ++liveObjects; }
    virtual ~Object()
    {
        --liveObjects;
        endWhenUnheld();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_StandInObject) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    // As an Excel whose type library answers names only in its own
    // language (English here): under any other locale a lookup fails with
    // "Old format or invalid type library". Unknown names are refused.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        if (locale != excelLocale)
            return TYPE_E_INVDATAREAD;
        if (count != 1)
            return DISP_E_UNKNOWNNAME;
        for (const auto& [id, member] : members) {
            if (_wcsicmp(member.name, names[0]) == 0) {
                ids[0] = id;
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override
    {
        if (const long wait = delayMs.exchange(0); wait > 0)
            Sleep(DWORD(wait));
        // Wine lets a call through that the filter asked to retry later;
        // it is refused here then, as a caller sees it once COM stops
        // retrying. The stand-in's own members stay open to the test.
        if (busy() && id < standInMembers)
            return RPC_E_CALL_REJECTED;
        const auto found = members.find(id);
        if (found == members.end())
            return DISP_E_MEMBERNOTFOUND;
        const Member& member = found->second;
        const bool asGet = (flags & DISPATCH_PROPERTYGET) != 0;
        const bool asPut = (flags & DISPATCH_PROPERTYPUT) != 0;
        const bool asMethod = (flags & DISPATCH_METHOD) != 0;
        if ((member.kind == Get && !asGet) || (member.kind == Put && !asPut) ||
            (member.kind == Method && !asMethod))
            return DISP_E_MEMBERNOTFOUND;
        VARIANT value;
        VariantInit(&value);
        try {
            member.handle(Arguments(params), value);
        } catch (const Failure& failure) {
            VariantClear(&value);
            if (failure.description.empty())
                return failure.status;
            return raise(exception, failure.description, excelObjectDefined);
        } catch (const AutomationError& error) {
            VariantClear(&value);
            if (error.failure() == AutomationFailure::ApplicationGone)
                return RPC_E_DISCONNECTED;
            return raise(exception, error.detail(), excelCode(error.failure()));
        }
        if (result != nullptr)
            *result = value;
        else
            VariantClear(&value);
        return S_OK;
    }

protected:
    void add(DISPID id, const wchar_t* name, Kind kind, Handler handle)
    {
        members.emplace(id, Member{name, kind, std::move(handle)});
    }

private:
    static HRESULT raise(EXCEPINFO* exception, const std::string& description, HRESULT code)
    {
        if (exception != nullptr) {
            *exception = EXCEPINFO{};
            exception->bstrSource = SysAllocString(L"Microsoft Excel");
            const std::wstring text = wide(description);
            exception->bstrDescription = SysAllocStringLen(text.data(), UINT(text.size()));
            exception->scode = code;
        }
        return DISP_E_EXCEPTION;
    }

    std::atomic<ULONG> references{1};
    std::map<DISPID, Member> members;
};

void setDispatch(VARIANT& result, Object* object)
{
    result.vt = VT_DISPATCH;
    result.pdispVal = object; // the object's first reference goes to the caller
}
void setLong(VARIANT& result, std::int32_t number)
{
    result.vt = VT_I4;
    result.lVal = number;
}
void setText(VARIANT& result, const std::string& utf8)
{
    const std::wstring text = wide(utf8);
    result.vt = VT_BSTR;
    result.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
}

// Excel answers a method without a result of its own with VT_BOOL true.
void setDone(VARIANT& result)
{
    result.vt = VT_BOOL;
    result.boolVal = VARIANT_TRUE;
}

class Font : public Object {
public:
    explicit Font(std::unique_ptr<AutomationFont> font) : font(std::move(font))
    {
        add(0x61, L"ColorIndex", Put, [this](const Arguments& a, VARIANT&) {
            this->font->PutColorIndex(a.put(VT_I2).iVal);
        });
    }

private:
    std::unique_ptr<AutomationFont> font;
};

class Interior : public Object {
public:
    explicit Interior(std::unique_ptr<AutomationInterior> interior) : interior(std::move(interior))
    {
        add(0x61, L"ColorIndex", Put, [this](const Arguments& a, VARIANT&) {
            this->interior->PutColorIndex(a.put(VT_I2).iVal);
        });
        add(0x5F, L"Pattern", Put, [this](const Arguments& a, VARIANT&) {
            this->interior->PutPattern(a.put(VT_I2).iVal);
        });
    }

private:
    std::unique_ptr<AutomationInterior> interior;
};

// One cell's value from a VARIANT as the model keeps it.
CellValue cellValue(const VARIANT& v)
{
    switch (v.vt) {
    case VT_I4:
        return std::int32_t(v.lVal);
    case VT_R8:
        return v.dblVal;
    case VT_BSTR:
        return narrow(v.bstrVal, SysStringLen(v.bstrVal));
    default:
        throw Failure{DISP_E_TYPEMISMATCH, {}};
    }
}

class Range : public Object {
public:
    // cells: for a Value put of an array, the single-cell ranges of the
    // range, row by row.
    Range(std::unique_ptr<AutomationRange> range, std::shared_ptr<AutomationWorksheet> sheet,
          std::string cell1, std::string cell2)
        : range(std::move(range)), sheet(std::move(sheet)), cell1(std::move(cell1)),
          cell2(std::move(cell2))
    {
        // Address's five arguments are optional; Sheetwire leaves them all
        // out.
        add(0xEC, L"Address", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setText(r, this->range->Address());
        });
        add(0xED, L"AutoFit", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            this->range->AutoFit();
            setDone(r);
        });
        add(0x42B, L"BorderAround", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(4);
            this->range->BorderAround(a.int16(0), a.int32(1), a.int32(2), a.int32(3));
            setDone(r);
        });
        add(0xF0, L"Column", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setLong(r, this->range->Column());
        });
        add(0xF6, L"EntireColumn", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Range(this->range->EntireColumn(), this->sheet, {}, {}));
        });
        add(0x92, L"Font", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Font(this->range->Font()));
        });
        add(0x105, L"Formula", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setText(r, this->range->Formula());
        });
        add(0x88, L"HorizontalAlignment", Put, [this](const Arguments& a, VARIANT&) {
            this->range->PutHorizontalAlignment(a.put(VT_I2).iVal);
        });
        add(0x81, L"Interior", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Interior(this->range->Interior()));
        });
        add(0x101, L"Row", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setLong(r, this->range->Row());
        });
        add(0xEB, L"Select", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            this->range->Select();
            setDone(r);
        });
        add(0x06, L"Value", Put, [this](const Arguments& a, VARIANT&) { putValue(a); });
        add(0x89, L"VerticalAlignment", Put, [this](const Arguments& a, VARIANT&) {
            this->range->PutVerticalAlignment(a.put(VT_I2).iVal);
        });
    }

private:
    void putValue(const Arguments& a)
    {
        const VARIANT* value = a.putAny();
        if (value == nullptr)
            throw Failure{DISP_E_PARAMNOTFOUND, {}};
        if ((value->vt & VT_ARRAY) == 0) {
            range->PutValue(cellValue(*value));
            return;
        }
        // An array goes into the range cell by cell, as Excel spreads it.
        if (value->vt != (VT_ARRAY | VT_VARIANT) || sheet == nullptr)
            throw Failure{DISP_E_TYPEMISMATCH, {}};
        SAFEARRAY* array = value->parray;
        const UINT dimensions = SafeArrayGetDim(array);
        if (dimensions < 1 || dimensions > 2)
            throw Failure{DISP_E_TYPEMISMATCH, {}};
        LONG rowLow = 0, rowHigh = 0, columnLow = 0, columnHigh = 0;
        SafeArrayGetLBound(array, 1, &rowLow);
        SafeArrayGetUBound(array, 1, &rowHigh);
        if (dimensions == 2) {
            SafeArrayGetLBound(array, 2, &columnLow);
            SafeArrayGetUBound(array, 2, &columnHigh);
        } else {
            // A one-dimensional array is one row.
            std::swap(rowLow, columnLow);
            std::swap(rowHigh, columnHigh);
        }
        const auto [firstColumn, firstRow] = position(cell1);
        for (LONG row = rowLow; row <= rowHigh; ++row) {
            for (LONG column = columnLow; column <= columnHigh; ++column) {
                VARIANT element;
                VariantInit(&element);
                LONG index[2] = {row, column};
                if (dimensions == 1)
                    index[0] = column;
                if (FAILED(SafeArrayGetElement(array, index, &element)))
                    throw Failure{DISP_E_BADINDEX, {}};
                const std::string reference =
                    name(firstColumn + (column - columnLow), firstRow + (row - rowLow));
                if (element.vt != VT_EMPTY)
                    sheet->Range(reference, reference)->PutValue(cellValue(element));
                VariantClear(&element);
            }
        }
    }

    static std::pair<int, int> position(const std::string& reference)
    {
        int column = 0;
        std::size_t i = 0;
        while (i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z')
            column = column * 26 + (reference[i++] - 'A' + 1);
        return {column, std::atoi(reference.c_str() + i)};
    }
    static std::string name(int column, int row)
    {
        std::string letters;
        for (; column > 0; column = (column - 1) / 26)
            letters.insert(letters.begin(), char('A' + (column - 1) % 26));
        return letters + std::to_string(row);
    }

    std::unique_ptr<AutomationRange> range;
    std::shared_ptr<AutomationWorksheet> sheet;
    std::string cell1, cell2;
};

class Worksheet : public Object {
public:
    explicit Worksheet(std::shared_ptr<AutomationWorksheet> sheet) : sheet(std::move(sheet))
    {
        add(0x130, L"Activate", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            this->sheet->Activate();
            setDone(r);
        });
        // Excel asks its user to confirm and answers False for Cancel.
        add(0x75, L"Delete", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            r.vt = VT_BOOL;
            if (cancelNextDelete.exchange(false)) {
                r.boolVal = VARIANT_FALSE;
                return;
            }
            r.boolVal = this->sheet->Delete() ? VARIANT_TRUE : VARIANT_FALSE;
        });
        add(0x6E, L"Name", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setText(r, this->sheet->Name());
        });
        add(0xC5, L"Range", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(2);
            const std::string cell1 = a.text(0), cell2 = a.text(1);
            setDispatch(r, new Range(this->sheet->Range(cell1, cell2), this->sheet, cell1, cell2));
        });
        add(0x19C, L"UsedRange", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Range(this->sheet->UsedRange(), this->sheet, {}, {}));
        });
    }

    AutomationWorksheet& model() { return *sheet; }

private:
    std::shared_ptr<AutomationWorksheet> sheet;
};

// The model behind a Worksheet that the caller handed back as an argument:
// it must be one of ours.
AutomationWorksheet& worksheetOf(const VARIANT& v)
{
    IUnknown* ours = nullptr;
    if (v.pdispVal == nullptr ||
        FAILED(v.pdispVal->QueryInterface(IID_StandInObject, reinterpret_cast<void**>(&ours))))
        throw Failure{DISP_E_TYPEMISMATCH, {}};
    auto* object = static_cast<Object*>(static_cast<IDispatch*>(ours));
    auto* sheet = dynamic_cast<Worksheet*>(object);
    object->Release();
    if (sheet == nullptr)
        throw Failure{DISP_E_TYPEMISMATCH, {}};
    return sheet->model();
}

class Worksheets : public Object {
public:
    explicit Worksheets(std::unique_ptr<AutomationWorksheets> sheets) : sheets(std::move(sheets))
    {
        add(0xB5, L"Add", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(4);
            AutomationWorksheet& before = worksheetOf(a.at(0, VT_DISPATCH));
            for (std::size_t i = 1; i < 4; ++i)
                a.expectOmitted(i);
            setDispatch(r, new Worksheet(this->sheets->Add(before)));
        });
        add(0x76, L"Count", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setLong(r, this->sheets->Count());
        });
        add(0xAA, L"Item", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(1);
            setDispatch(r, new Worksheet(this->sheets->Item(a.int16(0))));
        });
    }

private:
    std::unique_ptr<AutomationWorksheets> sheets;
};

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

// The files Workbooks.Open opened, by the name of their workbook: a
// workbook's FullName is its file, or its name when it has none.
std::map<std::string, std::string> openedFiles;

IDispatch* theApplication = nullptr;

class Workbook : public Object {
public:
    explicit Workbook(std::unique_ptr<AutomationWorkbook> book) : book(std::move(book))
    {
        add(0x121, L"FullName", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            const std::string name = this->book->Name();
            // The model's log keeps the members the model has; this one it
            // has not.
            model->log.pop_back();
            const auto file = openedFiles.find(name);
            setText(r, file != openedFiles.end() ? file->second : name);
        });
        add(0x130, L"Activate", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            this->book->Activate();
            setDone(r);
        });
        add(0x133, L"ActiveSheet", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Worksheet(this->book->ActiveSheet()));
        });
        add(0x94, L"Application", Get, [](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            theApplication->AddRef();
            r.vt = VT_DISPATCH;
            r.pdispVal = theApplication;
        });
        add(0x115, L"Close", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(3);
            const std::int16_t save = a.int16(0);
            a.at(1, VT_NULL);
            a.at(2, VT_NULL);
            askUser();
            this->book->Close(save);
            setDone(r);
        });
        add(0x6E, L"Name", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setText(r, this->book->Name());
        });
        add(0x1EE, L"Worksheets", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Worksheets(this->book->Worksheets()));
        });
    }

private:
    std::unique_ptr<AutomationWorkbook> book;
};

// A file on the disk that the model does not know yet opens as a workbook
// of the worksheets named in its lines, as Excel opens whatever file it is
// given (an Excel started by COM knows no script of the test).
void knowFileOnDisk(const std::string& path)
{
    if (model->files.count(path) != 0)
        return;
    FILE* file = _wfopen(wide(path).c_str(), L"rb");
    if (file == nullptr)
        return;
    std::string text;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    std::fclose(file);
    std::vector<std::string> sheets;
    for (std::string& line : split(text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            sheets.push_back(line);
    }
    model->addFile(path, sheets);
}

class Workbooks : public Object {
public:
    explicit Workbooks(std::unique_ptr<AutomationWorkbooks> books) : books(std::move(books))
    {
        add(0xB5, L"Add", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(1);
            a.expectOmitted(0);
            setDispatch(r, new Workbook(this->books->Add()));
        });
        add(0x76, L"Count", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setLong(r, this->books->Count());
        });
        add(0xAA, L"Item", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(1);
            setDispatch(r, new Workbook(this->books->Item(a.int16(0))));
        });
        add(0x2AA, L"Open", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(13);
            const std::string path = a.text(0);
            for (std::size_t i = 1; i < 13; ++i)
                a.expectOmitted(i);
            knowFileOnDisk(path);
            auto opened = this->books->Open(path);
            openedFiles[opened->Name()] = path;
            setDispatch(r, new Workbook(std::move(opened)));
        });
    }

private:
    std::unique_ptr<AutomationWorkbooks> books;
};

std::string script(const std::string& command);

// How this Excel was started, and what keeps it: one started by COM ends
// when its last reference is released, unless it was made visible (then the
// user has it); one that its user quits, or that is told to Quit, ends once
// no client holds a reference any more, and hides until then.
bool startedByCom = false;
std::atomic<bool> visibleSet{false};
std::atomic<bool> quitting{false};

void endWhenUnheld()
{
    const bool mayEnd = quitting || (startedByCom && !visibleSet);
    // Two objects are the process's own: the Application and the control
    // object of the tests.
    if (mayEnd && applicationConnections == 0 && liveObjects <= 2)
        PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
}

class Application : public Object, public IExternalConnection {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IExternalConnection) {
            *out = static_cast<IExternalConnection*>(this);
            AddRef();
            return S_OK;
        }
        return Object::QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }
    // COM tells of the references clients hold on the Application.
    DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD) override
    {
        return type == EXTCONN_STRONG ? DWORD(++applicationConnections) : 0;
    }
    DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD, BOOL) override
    {
        if (type != EXTCONN_STRONG)
            return 0;
        const int left = --applicationConnections;
        endWhenUnheld();
        return DWORD(left);
    }

    explicit Application(std::shared_ptr<AutomationApplication> app) : app(std::move(app))
    {
        add(0x131, L"ActiveCell", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Range(this->app->ActiveCell(), nullptr, {}, {}));
        });
        // Nothing when no workbook is open.
        add(0x134, L"ActiveWorkbook", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            auto active = this->app->ActiveWorkbook();
            r.vt = VT_DISPATCH;
            r.pdispVal = active ? new Workbook(std::move(active)) : nullptr;
        });
        add(0x12E, L"Quit", Method, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            askUser();
            this->app->Quit();
            quitting = true;
            setDone(r);
        });
        add(0x17E, L"ScreenUpdating", Put, [this](const Arguments& a, VARIANT&) {
            this->app->PutScreenUpdating(a.put(VT_BOOL).boolVal != VARIANT_FALSE);
        });
        add(0x22E, L"Visible", Put, [this](const Arguments& a, VARIANT&) {
            const bool visible = a.put(VT_BOOL).boolVal != VARIANT_FALSE;
            this->app->PutVisible(visible);
            if (visible)
                visibleSet = true;
        });
        add(0x23C, L"Workbooks", Get, [this](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setDispatch(r, new Workbooks(this->app->Workbooks()));
        });
        // The window Excel shows; the stand-in has none, its process tells
        // one stand-in from another all the same.
        add(0x79E, L"Hwnd", Get, [](const Arguments& a, VARIANT& r) {
            a.expectCount(0);
            setLong(r, std::int32_t(GetCurrentProcessId()));
        });
    }

private:
    std::shared_ptr<AutomationApplication> app;
};

// Commands, fields separated by tabs:
//   book NAME SHEET|SHEET...   open a workbook with these worksheets
//   file PATH SHEET|SHEET...   a file that Workbooks.Open finds
//   close NAME                 the user closes a workbook
//   rename BOOK SHEET NEW      the user renames a worksheet
//   activate BOOK SHEET        the user clicks a workbook's window and a
//                              worksheet's tab in it
//   canceldelete               the user cancels the next Delete
//   busy MS                    the user edits a cell for MS milliseconds
//   question MS                the next Close or Quit asks the user about
//                              unsaved changes; the answer takes MS
//                              milliseconds
//   userquit                   the user quits Excel (it hides, and ends
//                              once no client holds a reference)
//   references                 "application N objects M": the external
//                              connections to the Application and the
//                              other objects clients hold
//   pid                        this process's id
//   state                      the whole model (MemorySpreadsheet::describe)
//   log                        the call log, one entry per line
//   clearlog                   empties the call log
std::string script(const std::string& command)
{
    const std::vector<std::string> f = split(command, '\t');
    if (f.empty())
        throw Failure{DISP_E_BADPARAMCOUNT, {}};
    if (f[0] == "book" && f.size() == 3) {
        model->addWorkbook(f[1], split(f[2], '|'));
        return "OK";
    }
    if (f[0] == "file" && f.size() == 3) {
        model->addFile(f[1], split(f[2], '|'));
        return "OK";
    }
    if (f[0] == "close" && f.size() == 2) {
        model->closeWorkbook(f[1]);
        return "OK";
    }
    if (f[0] == "rename" && f.size() == 4) {
        auto sheet = model->worksheet(f[1], f[2]);
        if (!sheet)
            throw AutomationError(AutomationFailure::NoSuchItem, "no such worksheet");
        sheet->name = f[3];
        return "OK";
    }
    if (f[0] == "activate" && f.size() == 3) {
        model->activate(f[1], f[2]);
        return "OK";
    }
    if (f[0] == "busy" && f.size() == 2) {
        busyUntil = GetTickCount64() + std::stoull(f[1]);
        return "OK";
    }
    if (f[0] == "question" && f.size() == 2) {
        nextQuestion = std::stoull(f[1]);
        return "OK";
    }
    if (f[0] == "userquit" && f.size() == 1) {
        model->visible = false;
        quitting = true;
        endWhenUnheld();
        return "OK";
    }
    if (f[0] == "references" && f.size() == 1)
        return "application " + std::to_string(applicationConnections.load()) + " objects " +
               std::to_string(liveObjects.load() - 2);
    if (f[0] == "pid" && f.size() == 1)
        return std::to_string(GetCurrentProcessId());
    if (f[0] == "canceldelete" && f.size() == 1) {
        cancelNextDelete = true;
        return "OK";
    }
    if (f[0] == "state" && f.size() == 1)
        return model->describe();
    if (f[0] == "log" && f.size() == 1) {
        std::string lines;
        for (const std::string& entry : model->log)
            lines += entry + "\n";
        return lines;
    }
    if (f[0] == "clearlog" && f.size() == 1) {
        model->log.clear();
        return "OK";
    }
    throw AutomationError(AutomationFailure::Refused, "StandInScript: unknown command " + command);
}

// The tests' own way in, beside Excel's: its references are no client's of
// Excel and keep nothing alive.
class Control : public Object {
public:
    Control()
    {
        add(0x10001, L"StandInDelay", Put, [](const Arguments& a, VARIANT&) {
            delayMs = a.put(VT_I4).lVal;
        });
        add(0x10002, L"StandInScript", Method, [](const Arguments& a, VARIANT& r) {
            a.expectCount(1);
            setText(r, script(a.text(0)));
        });
    }
};

// Hands out the one Application to every CoCreateInstance.
class Factory : public IClassFactory {
public:
    explicit Factory(IDispatch* application) : application(application) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return application->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    IDispatch* application;
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    const std::wstring arguments = commandLine != nullptr ? commandLine : L"";
    const bool byCom = arguments.find(L"Embedding") != std::wstring::npos;
    if (!byCom && arguments.find(L"/Running") == std::wstring::npos) {
        std::fprintf(stderr, "excel_standin: started by COM (-Embedding) or as a running Excel (/Running)\n");
        return 2;
    }
    mainThread = GetCurrentThreadId();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    static BusyFilter filter;
    CoRegisterMessageFilter(&filter, nullptr);

    model = MemorySpreadsheet::create();
    startedByCom = byCom;
    auto* application = new Application(byCom ? model->Launch() : model->AttachRunning());
    theApplication = application;
    auto* control = new Control;
    model->log.clear();

    Factory factory(application);
    DWORD classCookie = 0;
    if (byCom &&
        FAILED(CoRegisterClassObject(CLSID_StandIn, &factory, CLSCTX_LOCAL_SERVER,
                                     REGCLS_MULTIPLEUSE, &classCookie)))
        return 1;
    // Excel's entry in the running object table keeps nothing alive.
    DWORD runningCookie = 0, controlCookie = 0;
    if (FAILED(RegisterActiveObject(static_cast<IDispatch*>(application), CLSID_StandIn,
                                    ACTIVEOBJECT_WEAK, &runningCookie)) ||
        FAILED(RegisterActiveObject(control, CLSID_StandInControl, ACTIVEOBJECT_STRONG,
                                    &controlCookie)))
        return 1;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    RevokeActiveObject(runningCookie, nullptr);
    RevokeActiveObject(controlCookie, nullptr);
    if (classCookie != 0)
        CoRevokeClassObject(classCookie);
    control->Release();
    application->Release();
    CoUninitialize();
    return 0;
}
