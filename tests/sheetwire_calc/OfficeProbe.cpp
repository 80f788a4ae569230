#include "OfficeProbe.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <gtest/gtest.h>
#include <rtl/bootstrap.hxx>

#include <chrono>
#include <stdexcept>
#include <thread>

using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

std::string utf8(const rtl::OUString& text)
{
    return OUStringToOString(text, RTL_TEXTENCODING_UTF8).getStr();
}

rtl::OUString ou(const std::string& utf8Text)
{
    return OStringToOUString(rtl::OString(utf8Text.c_str()), RTL_TEXTENCODING_UTF8);
}

namespace {

Reference<css::uno::XComponentContext> context()
{
    static const auto* const local = [] {
        rtl::Bootstrap::set("URE_BOOTSTRAP",
                            "vnd.sun.star.pathname:" TONVALE_OFFICE_PROGRAM_DIR "/fundamentalrc");
        return new Reference<css::uno::XComponentContext>(
            cppu::defaultBootstrap_InitialComponentContext());
    }();
    return *local;
}

std::string columnName(sal_Int32 column)
{
    std::string name;
    for (++column; column > 0; column = (column - 1) / 26)
        name.insert(name.begin(), static_cast<char>('A' + (column - 1) % 26));
    return name;
}

// Documents without a title of their own (a chart) are named by their URL.
std::string titleOf(const Reference<css::frame::XModel>& model)
{
    const Reference<css::frame::XTitle> title(model, UNO_QUERY);
    return title.is() ? utf8(title->getTitle()) : "(" + utf8(model->getURL()) + ")";
}

} // namespace

OfficeProbe::OfficeProbe(const std::string& pipeName)
{
    // A busy office that has just started has been seen to drop a
    // connection it had accepted before the first call was answered; the
    // probe connects again then. What fails for good is rethrown as a
    // standard exception, so that the test says why.
    for (int attempt = 1;; ++attempt) {
        try {
            const auto local = context();
            const auto connection =
                css::connection::Connector::create(local)->connect(ou("pipe,name=" + pipeName));
            const auto bridgeObject = css::bridge::BridgeFactory::create(local)->createBridge(
                "", "urp", connection, nullptr);
            bridge.set(bridgeObject, UNO_QUERY_THROW);
            const Reference<css::uno::XComponentContext> office(
                bridgeObject->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
            desktop = css::frame::Desktop::create(office);
            return;
        } catch (const css::lang::DisposedException&) {
            if (attempt == 3)
                throw std::runtime_error("the office on " + pipeName +
                                         " dropped the probe's connection three times");
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        } catch (const css::uno::Exception& error) {
            throw std::runtime_error("no look into the office on " + pipeName + ": " +
                                     utf8(error.Message));
        }
    }
}

OfficeProbe::~OfficeProbe()
{
    desktop.clear();
    try {
        bridge->dispose();
    } catch (const css::uno::Exception&) {
    }
}

void OfficeProbe::dispatch(const std::string& title, const std::string& command)
{
    const Reference<css::frame::XDispatchProvider> window(
        model(title)->getCurrentController()->getFrame(), UNO_QUERY_THROW);
    // Fetched for the call, not kept: while the probe held the office's
    // context for its whole life, the office fitted columns differently in
    // the column fitting test (why is not known).
    const Reference<css::uno::XComponentContext> office(
        Reference<css::bridge::XBridge>(bridge, UNO_QUERY_THROW)
            ->getInstance("StarOffice.ComponentContext"),
        UNO_QUERY_THROW);
    css::frame::DispatchHelper::create(office)->executeDispatch(window, ou(command), "", 0, {});
}

std::vector<Reference<css::frame::XModel>> OfficeProbe::models()
{
    // By position: the order the windows were made in.
    const Reference<css::container::XIndexAccess> frames(desktop->getFrames(), UNO_QUERY_THROW);
    std::vector<Reference<css::frame::XModel>> found;
    for (sal_Int32 i = 0; i < frames->getCount(); ++i) {
        const Reference<css::frame::XFrame> frame(frames->getByIndex(i), UNO_QUERY_THROW);
        const auto controller = frame->getController();
        const auto model = controller.is() ? controller->getModel() : nullptr;
        if (model.is())
            found.push_back(model);
    }
    return found;
}

std::vector<std::string> OfficeProbe::titles()
{
    std::vector<std::string> found;
    for (const auto& model : models())
        found.push_back(titleOf(model));
    return found;
}

Reference<css::frame::XModel> OfficeProbe::model(const std::string& title)
{
    for (const auto& model : models()) {
        if (titleOf(model) == title)
            return model;
    }
    return nullptr;
}

std::vector<std::string> OfficeProbe::sheetNames(const std::string& title)
{
    const Reference<css::sheet::XSpreadsheetDocument> document(model(title), UNO_QUERY_THROW);
    std::vector<std::string> names;
    for (const auto& name : document->getSheets()->getElementNames())
        names.push_back(utf8(name));
    return names;
}

Reference<css::sheet::XSpreadsheet> OfficeProbe::sheet(const std::string& title,
                                                        const std::string& sheetName)
{
    const Reference<css::sheet::XSpreadsheetDocument> document(model(title), UNO_QUERY_THROW);
    return Reference<css::sheet::XSpreadsheet>(document->getSheets()->getByName(ou(sheetName)),
                                               UNO_QUERY_THROW);
}

Reference<css::table::XCell> OfficeProbe::cell(const std::string& title,
                                               const std::string& sheetName,
                                               const std::string& reference)
{
    return sheet(title, sheetName)->getCellRangeByName(ou(reference))->getCellByPosition(0, 0);
}

Reference<css::beans::XPropertySet> OfficeProbe::range(const std::string& title,
                                                       const std::string& sheetName,
                                                       const std::string& reference)
{
    return Reference<css::beans::XPropertySet>(sheet(title, sheetName)->getCellRangeByName(ou(reference)),
                                               UNO_QUERY_THROW);
}

std::string OfficeProbe::activeSheet(const std::string& title)
{
    const Reference<css::sheet::XSpreadsheetView> view(model(title)->getCurrentController(),
                                                       UNO_QUERY_THROW);
    return utf8(Reference<css::container::XNamed>(view->getActiveSheet(), UNO_QUERY_THROW)->getName());
}

std::string OfficeProbe::activeTitle()
{
    const auto frame = desktop->getCurrentFrame();
    return frame.is() && frame->getController().is() ? titleOf(frame->getController()->getModel())
                                                      : std::string();
}

void OfficeProbe::click(const std::string& title, const std::string& sheetName)
{
    const auto controller = model(title)->getCurrentController();
    controller->getFrame()->activate();
    if (!sheetName.empty())
        Reference<css::sheet::XSpreadsheetView>(controller, UNO_QUERY_THROW)
            ->setActiveSheet(sheet(title, sheetName));
}

std::string OfficeProbe::selection(const std::string& title)
{
    const Reference<css::view::XSelectionSupplier> view(model(title)->getCurrentController(),
                                                        UNO_QUERY_THROW);
    const Reference<css::sheet::XCellRangeAddressable> selected(view->getSelection(), UNO_QUERY);
    if (!selected.is())
        return "(not one range)";
    const auto address = selected->getRangeAddress();
    std::string text = columnName(address.StartColumn) + std::to_string(address.StartRow + 1);
    if (address.EndColumn != address.StartColumn || address.EndRow != address.StartRow)
        text += ":" + columnName(address.EndColumn) + std::to_string(address.EndRow + 1);
    return text;
}

Reference<css::frame::XModel> OfficeProbe::open(const std::string& url)
{
    return Reference<css::frame::XModel>(
        desktop->loadComponentFromURL(ou(url), "_blank", 0, {}), UNO_QUERY_THROW);
}

void OfficeProbe::closeAll()
{
    for (const auto& model : models()) {
        const Reference<css::util::XModifiable> modifiable(model, css::uno::UNO_QUERY);
        if (modifiable.is())
            modifiable->setModified(false);
        Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
    }
}
