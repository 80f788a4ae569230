#pragma once
// One connection to a running office: the UNO bridge over our pipe, the
// office's Desktop, and a watch on every spreadsheet document we have
// touched, so that a write into a document closed in the meantime is
// caught instead of vanishing.

#include "sheetwire/Automation.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace sheetwire::calc {

namespace css = com::sun::star;
using css::uno::Reference;
using rtl::OUString;
using rtl::OUStringBuffer;

OUString fromUtf8(const std::string& text);
std::string toUtf8(const OUString& text);

// This process's own UNO environment, set up once from the office's URE.
Reference<css::uno::XComponentContext> localContext();

// Describes the UNO exception being handled, for an AutomationError raised
// by member (e.g. "Workbooks.Item").
std::string describeCaughtException(const std::string& member, const css::uno::Exception& exception);

// Runs an office call; anything the office raises leaves as AutomationError.
template <typename Call>
auto officeCall(const std::string& member, Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const css::uno::Exception& exception) {
        throw AutomationError(describeCaughtException(member, exception));
    }
}

// Messages the office sends over a connection, counted as they arrive.
struct Traffic {
    std::atomic<std::uint64_t> messagesReceived{0};
};

// A spreadsheet document of the office as long as it stays open.
class OpenDocument {
public:
    OpenDocument(Reference<css::frame::XModel> model,
                 Reference<css::sheet::XSpreadsheetDocument> spreadsheet);

    const Reference<css::frame::XModel>& model() const { return m_model; }
    const Reference<css::sheet::XSpreadsheetDocument>& spreadsheet() const { return m_spreadsheet; }
    const Reference<css::uno::XInterface>& identity() const { return m_identity; }
    // The window title the user sees: "Untitled 1", "data.ods".
    OUString title() const;
    // The document's sheets; the office keeps one collection object per
    // document, so it is fetched once.
    const Reference<css::sheet::XSpreadsheets>& sheets();
    const Reference<css::container::XIndexAccess>& sheetsByIndex();

    bool closed() const { return m_closed->load(); }
    // Raises AutomationError for member when the document has been closed.
    void ensureOpen(const std::string& member) const;

    // Asks the office to tell us when the document goes away.
    void watch();
    void unwatch();

private:
    Reference<css::frame::XModel> m_model;
    Reference<css::sheet::XSpreadsheetDocument> m_spreadsheet;
    Reference<css::uno::XInterface> m_identity;
    Reference<css::frame::XTitle> m_title;
    Reference<css::sheet::XSpreadsheets> m_sheets;
    Reference<css::container::XIndexAccess> m_sheetsByIndex;
    std::shared_ptr<std::atomic<bool>> m_closed = std::make_shared<std::atomic<bool>>(false);
    Reference<css::lang::XEventListener> m_listener;
};

class Session {
public:
    // Connects to the office accepting on pipeName. Throws the office's
    // exception (NoConnectException when nothing accepts there).
    static std::shared_ptr<Session> connect(const std::string& pipeName,
                                            std::shared_ptr<Traffic> traffic);
    ~Session();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False once the connection broke (the office quit or died).
    bool alive() const { return !m_lost->load(); }
    const Reference<css::frame::XDesktop2>& desktop() const { return m_desktop; }

    // The open spreadsheet documents in the order of their windows.
    std::vector<std::shared_ptr<OpenDocument>> spreadsheets();
    // The watched document behind model; null when it is no spreadsheet.
    std::shared_ptr<OpenDocument> document(const Reference<css::frame::XModel>& model);
    // The window of a frame.
    Reference<css::awt::XWindow2> windowOf(const Reference<css::frame::XFrame>& frame);

private:
    Session() = default;

    Reference<css::lang::XComponent> m_bridge;
    Reference<css::frame::XDesktop2> m_desktop;
    // The Desktop keeps one frames container for its life.
    Reference<css::frame::XFrames> m_frames;
    // Windows known to show a workbook: listing the workbooks then asks the
    // office only for its windows. A window shows its workbook until the
    // workbook closes (a window gets another document only by closing the
    // one it had), which ends the entry.
    std::vector<std::pair<Reference<css::frame::XFrame>, std::shared_ptr<OpenDocument>>> m_shown;
    // A frame's window never changes.
    std::vector<std::pair<Reference<css::frame::XFrame>, Reference<css::awt::XWindow2>>> m_windows;
    std::shared_ptr<std::atomic<bool>> m_lost = std::make_shared<std::atomic<bool>>(false);
    Reference<css::lang::XEventListener> m_bridgeListener;
    std::mutex m_lock;
    std::vector<std::shared_ptr<OpenDocument>> m_documents;
};

} // namespace sheetwire::calc
