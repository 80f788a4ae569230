#pragma once
// The test's own look into an office, over a UNO connection of its own:
// what the tests read back (and do behind the backend's back, such as
// closing a document) without going through the code under test.

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/XCell.hpp>

#include <string>
#include <vector>

namespace css = com::sun::star;
using css::uno::Reference;

std::string utf8(const rtl::OUString& text);
rtl::OUString ou(const std::string& utf8Text);

// A property of a cell, range or column as read back.
template <typename T>
T property(const Reference<css::beans::XPropertySet>& properties, const char* name)
{
    T value{};
    properties->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= value;
    return value;
}

class OfficeProbe {
public:
    // Connects to the office listening on pipeName.
    explicit OfficeProbe(const std::string& pipeName);
    ~OfficeProbe();

    OfficeProbe(const OfficeProbe&) = delete;
    OfficeProbe& operator=(const OfficeProbe&) = delete;

    // The title of every document window, in window order.
    std::vector<std::string> titles();
    // The document of that title; null when none has it.
    Reference<css::frame::XModel> model(const std::string& title);
    std::vector<std::string> sheetNames(const std::string& title);
    Reference<css::sheet::XSpreadsheet> sheet(const std::string& title, const std::string& sheetName);
    Reference<css::table::XCell> cell(const std::string& title, const std::string& sheetName,
                                      const std::string& reference);
    // The properties of a cell or range (e.g. "B2:D4").
    Reference<css::beans::XPropertySet> range(const std::string& title,
                                              const std::string& sheetName,
                                              const std::string& reference);
    // The name of the sheet the document's window shows.
    std::string activeSheet(const std::string& title);
    // The cell range selected in the document's window, as "B5" or "B5:C7".
    std::string selection(const std::string& title);
    // The title of the document whose window is the office's active one.
    std::string activeTitle();
    // The user clicks the document's window, and with a sheet named, that
    // sheet's tab in it.
    void click(const std::string& title, const std::string& sheetName = {});

    // Opens a new document from a factory URL such as "private:factory/scalc".
    Reference<css::frame::XModel> open(const std::string& url);
    // Closes every document without saving.
    void closeAll();
    // Runs an office command (".uno:SetInputMode") in the document's window,
    // as its menu or keyboard would.
    void dispatch(const std::string& title, const std::string& command);

    Reference<css::frame::XDesktop2> desktop;

private:
    std::vector<Reference<css::frame::XModel>> models();

    Reference<css::lang::XComponent> bridge;
};
