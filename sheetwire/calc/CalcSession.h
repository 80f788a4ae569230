#pragma once
// One connection to a running office: the UNO bridge over our pipe, the
// office's Desktop, and a watch on every spreadsheet document we have
// touched, so that a write into a document closed in the meantime is
// caught instead of vanishing. A session that remembers (batched delivery)
// also listens to the office's document events and keeps the list of open
// workbooks, their titles and the visibility of the office's window for as
// long as no event says they changed.

#include "sheetwire/Automation.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/awt/XWindowListener.hpp>
#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrames.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellRangesAccess.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
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

// The UNO exception being handled as an AutomationError raised by member
// (e.g. "Workbooks.Item").
AutomationError caughtError(const std::string& member, const css::uno::Exception& exception);

// Runs an office call; anything the office raises leaves as AutomationError.
template <typename Call>
auto officeCall(const std::string& member, Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const css::uno::Exception& exception) {
        throw caughtError(member, exception);
    }
}

// Messages the office sends over a connection, counted as they arrive.
struct Traffic {
    std::atomic<std::uint64_t> messagesReceived{0};
};

// What the columns of one sheet were last fitted to, as far as this
// program wrote them: the shapes of the texts the cells show (every digit
// a 0) that the column's width is known to hold, and those written since.
// The office sizes a column to its widest cell and digits share one width,
// so a column needs fitting again only for a shape it has not been fitted
// to; fitting costs the office a pass over every cell of the column.
struct SheetFits {
    struct Column {
        bool fitted = false;
        // A cell whose width its text does not tell (a formula).
        bool unknownWritten = false;
        std::set<std::string> shapes;
        std::set<std::string> written;
    };
    // The sheet's name when these were recorded: another sheet at the same
    // position starts afresh.
    OUString name;
    std::map<sal_Int32, Column> columns;
};

// A spreadsheet document of the office as long as it stays open.
class OpenDocument {
public:
    // generation: the session's count of document events, which makes the
    // title remembered here stale.
    OpenDocument(Reference<css::frame::XModel> model,
                 Reference<css::sheet::XSpreadsheetDocument> spreadsheet,
                 std::shared_ptr<std::atomic<std::uint64_t>> generation);

    const Reference<css::frame::XModel>& model() const { return m_model; }
    const Reference<css::sheet::XSpreadsheetDocument>& spreadsheet() const { return m_spreadsheet; }
    const Reference<css::uno::XInterface>& identity() const { return m_identity; }
    // The document's identity: that of its file (the same whenever the file
    // is opened in this process), or for a document without a file one of
    // its own among all this process has met. Never 0.
    std::uint64_t identityNumber() const;
    // The window title the user sees: "Untitled 1", "data.ods".
    OUString title() const;
    // The same, remembered until the next document event of the office.
    OUString rememberedTitle();
    // The document's sheets; the office keeps one collection object per
    // document, so it is fetched once.
    const Reference<css::sheet::XSpreadsheets>& sheets();
    const Reference<css::container::XIndexAccess>& sheetsByIndex();
    const Reference<css::sheet::XCellRangesAccess>& cellRanges();
    // The selection of the document's window, remembered until the next
    // document event (a window made or closed).
    Reference<css::view::XSelectionSupplier> selection(const std::string& member);

    SheetFits& fits(sal_Int32 sheetIndex) { return m_fits[sheetIndex]; }

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
    Reference<css::sheet::XCellRangesAccess> m_cellRanges;
    std::shared_ptr<std::atomic<bool>> m_closed = std::make_shared<std::atomic<bool>>(false);
    Reference<css::lang::XEventListener> m_listener;
    std::uint64_t m_serial;
    std::shared_ptr<std::atomic<std::uint64_t>> m_generation;
    OUString m_rememberedTitle;
    std::uint64_t m_titleGeneration = ~std::uint64_t{0};
    Reference<css::view::XSelectionSupplier> m_selection;
    std::uint64_t m_selectionGeneration = ~std::uint64_t{0};
    std::map<sal_Int32, SheetFits> m_fits;
};

class Session {
public:
    // Connects to the office accepting on pipeName. Throws the office's
    // exception (NoConnectException when nothing accepts there). A session
    // that remembers listens to the office's document events.
    static std::shared_ptr<Session> connect(const std::string& pipeName,
                                            std::shared_ptr<Traffic> traffic, bool remembers);
    ~Session();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False once the connection broke (the office quit or died).
    bool alive() const { return !m_lost->load(); }
    const Reference<css::frame::XDesktop2>& desktop() const { return m_desktop; }

    // The open spreadsheet documents in the order of their windows.
    std::vector<std::shared_ptr<OpenDocument>> spreadsheets();
    // The same, remembered while no document event and no closing says the
    // list may have changed (only for a session that remembers).
    std::vector<std::shared_ptr<OpenDocument>> rememberedSpreadsheets();
    // Forgets what this session remembers of the documents and windows, as
    // after a document event; for changes this program makes itself.
    void forget();
    // Makes the window of the active frame visible, or hides it. A session
    // that remembers asks the office again only after a document event or
    // the window being hidden.
    void showWindow(bool visible);
    // The watched document behind model; null when it is no spreadsheet.
    std::shared_ptr<OpenDocument> document(const Reference<css::frame::XModel>& model);
    // The window of a frame.
    Reference<css::awt::XWindow2> windowOf(const Reference<css::frame::XFrame>& frame);
    // Whether the user is typing into a cell of the view behind controller
    // (the view's context is then "EditCell"): what the office would do with
    // a value written meanwhile is not what the user sees.
    bool editingCell(const Reference<css::frame::XController>& controller);

private:
    Session() = default;

    Reference<css::lang::XComponent> m_bridge;
    Reference<css::uno::XComponentContext> m_office;
    Reference<css::frame::XDesktop2> m_desktop;
    // Counts the office's document events (a window made or closed, a title
    // changed, a document loaded or unloaded) and hidden windows: what is
    // remembered at one count is stale at the next.
    std::shared_ptr<std::atomic<std::uint64_t>> m_generation =
        std::make_shared<std::atomic<std::uint64_t>>(0);
    Reference<css::document::XDocumentEventListener> m_eventListener;
    std::vector<std::shared_ptr<OpenDocument>> m_remembered;
    std::uint64_t m_rememberedGeneration = ~std::uint64_t{0};
    std::uint64_t m_shownGeneration = ~std::uint64_t{0};
    Reference<css::awt::XWindowListener> m_windowListener;
    std::vector<Reference<css::awt::XWindow2>> m_watchedWindows;
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
    bool m_remembers = false;
    Reference<css::lang::XEventListener> m_bridgeListener;
    std::mutex m_lock;
    std::vector<std::shared_ptr<OpenDocument>> m_documents;
};

} // namespace sheetwire::calc
