#include "CalcSession.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/container/NoSuchElementException.hpp>
#include <com/sun/star/document/XDocumentEventBroadcaster.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/theGlobalEventBroadcaster.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/ui/ContextChangeEventMultiplexer.hpp>
#include <com/sun/star/ui/XContextChangeEventListener.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/exc_hlp.hxx>
#include <cppuhelper/implbase1.hxx>
#include <rtl/bootstrap.hxx>
#include <rtl/ref.hxx>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>

namespace sheetwire::calc {

using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

OUString fromUtf8(const std::string& text)
{
    return OStringToOUString(rtl::OString(text.data(), static_cast<sal_Int32>(text.size())),
                             RTL_TEXTENCODING_UTF8);
}

std::string toUtf8(const OUString& text)
{
    const rtl::OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

Reference<css::uno::XComponentContext> localContext()
{
    // Never destroyed: UNO's own libraries may be gone by the time static
    // destructors run.
    static const auto* const context = [] {
        // Without the office's fundamentalrc only the URE's own types are
        // known and creating the office's services fails.
        rtl::Bootstrap::set("URE_BOOTSTRAP",
                            "vnd.sun.star.pathname:" TONVALE_OFFICE_PROGRAM_DIR "/fundamentalrc");
        return new Reference<css::uno::XComponentContext>(
            cppu::defaultBootstrap_InitialComponentContext());
    }();
    return *context;
}

AutomationError caughtError(const std::string& member, const css::uno::Exception& exception)
{
    const css::uno::Any caught = cppu::getCaughtException();
    const auto is = [&caught](const css::uno::Type& type) { return caught.isExtractableTo(type); };
    std::string what;
    AutomationFailure failure = AutomationFailure::Refused;
    if (is(cppu::UnoType<css::lang::DisposedException>::get())) {
        // A call through a connection that broke is refused by the bridge
        // itself; any other disposed object is a closed document's.
        const bool bridge = exception.Message.indexOf("URP bridge") >= 0;
        what = bridge ? "the office is gone" : "the workbook is gone";
        failure = bridge ? AutomationFailure::ApplicationGone : AutomationFailure::WorkbookClosed;
    } else if (is(cppu::UnoType<css::lang::IndexOutOfBoundsException>::get())) {
        what = "there is no such position";
        failure = AutomationFailure::NoSuchItem;
    } else if (is(cppu::UnoType<css::container::NoSuchElementException>::get())) {
        what = "there is no such item";
        failure = AutomationFailure::NoSuchItem;
    } else if (is(cppu::UnoType<css::connection::NoConnectException>::get())) {
        what = "the office cannot be reached";
        failure = AutomationFailure::ApplicationGone;
    } else {
        what = "the office refused the call";
    }
    std::string detail = toUtf8(caught.getValueTypeName());
    if (!exception.Message.isEmpty())
        detail += ": " + toUtf8(exception.Message);
    return AutomationError(failure, member + ": " + what + " (" + detail + ")");
}

namespace {

std::atomic<std::uint64_t> documentsMet{0};

// Files get their identity once for the life of the process.
std::uint64_t identityOfFile(const OUString& url)
{
    static std::mutex lock;
    static auto* const files = new std::map<OUString, std::uint64_t>;
    const std::lock_guard<std::mutex> hold(lock);
    auto& identity = (*files)[url];
    if (identity == 0)
        identity = ++documentsMet;
    return identity;
}

// Counts the office's document events that may change which workbooks are
// open, their order or their titles; focus and the modified state do not.
class DocumentEvents : public cppu::WeakImplHelper1<css::document::XDocumentEventListener> {
public:
    explicit DocumentEvents(std::shared_ptr<std::atomic<std::uint64_t>> generation)
        : generation(std::move(generation))
    {
    }

    void SAL_CALL documentEventOccured(const css::document::DocumentEvent& event) override
    {
        if (event.EventName != "OnFocus" && event.EventName != "OnUnfocus" &&
            event.EventName != "OnModifyChanged")
            ++*generation;
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override { ++*generation; }

private:
    std::shared_ptr<std::atomic<std::uint64_t>> generation;
};

// Counts a window hidden, so that the next binding shows it again.
class WindowHidden : public cppu::WeakImplHelper1<css::awt::XWindowListener> {
public:
    explicit WindowHidden(std::shared_ptr<std::atomic<std::uint64_t>> generation)
        : generation(std::move(generation))
    {
    }

    void SAL_CALL windowResized(const css::awt::WindowEvent&) override {}
    void SAL_CALL windowMoved(const css::awt::WindowEvent&) override {}
    void SAL_CALL windowShown(const css::lang::EventObject&) override {}
    void SAL_CALL windowHidden(const css::lang::EventObject&) override { ++*generation; }
    void SAL_CALL disposing(const css::lang::EventObject&) override {}

private:
    std::shared_ptr<std::atomic<std::uint64_t>> generation;
};

// Sets a flag when the object it listens to goes away.
class GoneNotice : public cppu::WeakImplHelper1<css::lang::XEventListener> {
public:
    explicit GoneNotice(std::shared_ptr<std::atomic<bool>> gone) : gone(std::move(gone)) {}

    void SAL_CALL disposing(const css::lang::EventObject&) override { gone->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> gone;
};

// The office sends its document events at any time, and a bridge's reader
// thread unpacks them with the UNO runtime, which exit() finalises. From the
// moment the process starts to end, a reader that comes back for more bytes
// waits for the end instead, and the exit waits a little for the readers
// that are busy with a message to come back.
class ProcessEnd {
public:
    static ProcessEnd& gate()
    {
        static auto* const gate = new ProcessEnd;
        return *gate;
    }

    // Called once a process has a bridge: the handler then runs before the
    // runtime that bridge was made with is finalised.
    void watch()
    {
        static const bool registered = (std::atexit([] { gate().end(); }), true);
        (void)registered;
    }

    // A reader about to read; busy tells whether it was unpacking a message.
    void reading(bool& busy)
    {
        std::unique_lock<std::mutex> hold(lock);
        if (busy) {
            busy = false;
            --busyReaders;
            changed.notify_all();
        }
        changed.wait(hold, [this] { return !ending; });
    }

    // A reader with bytes to unpack.
    void unpacking(bool& busy)
    {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait(hold, [this] { return !ending; });
        busy = true;
        ++busyReaders;
    }

private:
    void end()
    {
        std::unique_lock<std::mutex> hold(lock);
        ending = true;
        changed.wait_for(hold, std::chrono::seconds(1), [this] { return busyReaders == 0; });
    }

    std::mutex lock;
    std::condition_variable changed;
    bool ending = false;
    int busyReaders = 0;
};

// The pipe as the bridge sees it, counting the messages of every block the
// office sends. A block is read as its 8-byte header (size, message count,
// both big-endian) and then its body in one piece.
class CountingConnection : public cppu::WeakImplHelper1<css::connection::XConnection> {
public:
    CountingConnection(Reference<css::connection::XConnection> pipe,
                       std::shared_ptr<Traffic> traffic, std::shared_ptr<std::atomic<bool>> lost)
        : pipe(std::move(pipe)), traffic(std::move(traffic)), lost(std::move(lost))
    {
    }

    sal_Int32 SAL_CALL read(css::uno::Sequence<sal_Int8>& bytes, sal_Int32 count) override
    {
        // The end of the pipe is the first sign of an office gone: marked
        // here, before the bridge fails the calls under way, so that whoever
        // catches such a failure finds the office no longer there.
        ProcessEnd::gate().reading(busy);
        sal_Int32 got = 0;
        try {
            got = pipe->read(bytes, count);
        } catch (...) {
            lost->store(true);
            throw;
        }
        ProcessEnd::gate().unpacking(busy);
        if (got < count)
            lost->store(true);
        if (headerNext && count == 8 && got == 8) {
            const auto at = [&bytes](int i) { return static_cast<std::uint8_t>(bytes[i]); };
            traffic->messagesReceived += std::uint32_t{at(4)} << 24 | std::uint32_t{at(5)} << 16 |
                                         std::uint32_t{at(6)} << 8 | at(7);
            headerNext = false;
        } else {
            headerNext = true;
        }
        return got;
    }

    // A request that cannot be written is as sure a sign of the office gone
    // as the end of the pipe, and it may come first.
    void SAL_CALL write(const css::uno::Sequence<sal_Int8>& bytes) override
    {
        try {
            pipe->write(bytes);
        } catch (...) {
            lost->store(true);
            throw;
        }
    }
    void SAL_CALL flush() override { pipe->flush(); }
    void SAL_CALL close() override { pipe->close(); }
    OUString SAL_CALL getDescription() override { return pipe->getDescription(); }

private:
    Reference<css::connection::XConnection> pipe;
    std::shared_ptr<Traffic> traffic;
    std::shared_ptr<std::atomic<bool>> lost;
    // Only the bridge's reader thread reads.
    bool headerNext = true;
    bool busy = false;
};

} // namespace

OpenDocument::OpenDocument(Reference<css::frame::XModel> model,
                           Reference<css::sheet::XSpreadsheetDocument> spreadsheet,
                           std::shared_ptr<std::atomic<std::uint64_t>> generation)
    : m_model(std::move(model)),
      m_spreadsheet(std::move(spreadsheet)),
      m_identity(m_model, UNO_QUERY_THROW),
      m_title(m_model, UNO_QUERY_THROW),
      m_serial(++documentsMet),
      m_generation(std::move(generation))
{
}

OUString OpenDocument::title() const
{
    return m_title->getTitle();
}

std::uint64_t OpenDocument::identityNumber() const
{
    const OUString url = m_model->getURL();
    return url.isEmpty() ? m_serial : identityOfFile(url);
}

OUString OpenDocument::rememberedTitle()
{
    const std::uint64_t now = m_generation->load();
    if (m_titleGeneration != now) {
        m_rememberedTitle = title();
        m_titleGeneration = now;
    }
    return m_rememberedTitle;
}

const Reference<css::sheet::XCellRangesAccess>& OpenDocument::cellRanges()
{
    if (!m_cellRanges.is())
        m_cellRanges.set(sheets(), UNO_QUERY_THROW);
    return m_cellRanges;
}

Reference<css::view::XSelectionSupplier> OpenDocument::selection(const std::string& member)
{
    const std::uint64_t now = m_generation->load();
    if (m_selectionGeneration != now || !m_selection.is()) {
        const auto controller = m_model->getCurrentController();
        if (!controller.is())
            throw AutomationError(AutomationFailure::WorkbookClosed,
                                  member + ": the workbook has no window");
        m_selection.set(controller, UNO_QUERY_THROW);
        m_selectionGeneration = now;
    }
    return m_selection;
}

const Reference<css::sheet::XSpreadsheets>& OpenDocument::sheets()
{
    if (!m_sheets.is())
        m_sheets = m_spreadsheet->getSheets();
    return m_sheets;
}

const Reference<css::container::XIndexAccess>& OpenDocument::sheetsByIndex()
{
    if (!m_sheetsByIndex.is())
        m_sheetsByIndex.set(sheets(), UNO_QUERY_THROW);
    return m_sheetsByIndex;
}

void OpenDocument::ensureOpen(const std::string& member) const
{
    if (closed())
        throw AutomationError(AutomationFailure::WorkbookClosed,
                              member + ": the workbook has been closed");
}

void OpenDocument::watch()
{
    m_listener = new GoneNotice(m_closed);
    m_model->addEventListener(m_listener);
}

void OpenDocument::unwatch()
{
    if (m_listener.is() && !closed())
        m_model->removeEventListener(m_listener);
}

namespace {

// Hears the context a view is in: the multiplexer tells a listener added
// for a view the view's current context at once.
class ContextHeard : public cppu::WeakImplHelper1<css::ui::XContextChangeEventListener> {
public:
    void SAL_CALL notifyContextChangeEvent(const css::ui::ContextChangeEventObject& event) override
    {
        const std::lock_guard<std::mutex> hold(lock);
        context = event.ContextName;
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override {}

    OUString heard()
    {
        const std::lock_guard<std::mutex> hold(lock);
        return context;
    }

private:
    std::mutex lock;
    OUString context;
};

} // namespace

bool Session::editingCell(const Reference<css::frame::XController>& controller)
{
    const auto multiplexer = css::ui::ContextChangeEventMultiplexer::get(m_office);
    const rtl::Reference<ContextHeard> heard(new ContextHeard);
    const Reference<css::ui::XContextChangeEventListener> listener(heard.get());
    multiplexer->addContextChangeEventListener(listener, controller);
    multiplexer->removeContextChangeEventListener(listener, controller);
    return heard->heard() == "EditCell";
}

std::shared_ptr<Session> Session::connect(const std::string& pipeName,
                                          std::shared_ptr<Traffic> traffic, bool remembers)
{
    const auto context = localContext();
    std::shared_ptr<Session> session(new Session);
    const Reference<css::connection::XConnection> pipe(new CountingConnection(
        css::connection::Connector::create(context)->connect("pipe,name=" + fromUtf8(pipeName)),
        std::move(traffic), session->m_lost));
    const auto bridge =
        css::bridge::BridgeFactory::create(context)->createBridge("", "urp", pipe, nullptr);
    session->m_bridge.set(bridge, UNO_QUERY_THROW);
    session->m_bridgeListener = new GoneNotice(session->m_lost);
    session->m_bridge->addEventListener(session->m_bridgeListener);
    ProcessEnd::gate().watch();
    // The destructor takes the bridge down if the office does not answer.
    const Reference<css::uno::XComponentContext> office(
        bridge->getInstance("StarOffice.ComponentContext"), UNO_QUERY_THROW);
    session->m_office = office;
    session->m_desktop = css::frame::Desktop::create(office);
    session->m_remembers = remembers;
    if (remembers) {
        session->m_eventListener = new DocumentEvents(session->m_generation);
        Reference<css::document::XDocumentEventBroadcaster>(
            css::frame::theGlobalEventBroadcaster::get(office), UNO_QUERY_THROW)
            ->addDocumentEventListener(session->m_eventListener);
        session->m_windowListener = new WindowHidden(session->m_generation);
    }
    return session;
}

Session::~Session()
{
    try {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (alive()) {
            if (m_eventListener.is())
                Reference<css::document::XDocumentEventBroadcaster>(
                    css::frame::theGlobalEventBroadcaster::get(m_office), UNO_QUERY_THROW)
                    ->removeDocumentEventListener(m_eventListener);
            for (const auto& document : m_documents)
                document->unwatch();
            for (const auto& window : m_watchedWindows) {
                try {
                    window->removeWindowListener(m_windowListener);
                } catch (const css::uno::Exception&) {
                    // The window has been closed with its document.
                }
            }
        }
    } catch (const css::uno::Exception&) {
        // The office went away meanwhile; nothing is left to unregister.
    }
    m_watchedWindows.clear();
    m_remembered.clear();
    m_office.clear();
    m_documents.clear();
    m_shown.clear();
    m_windows.clear();
    m_frames.clear();
    m_desktop.clear();
    try {
        if (m_bridge.is())
            m_bridge->dispose();
    } catch (const css::uno::Exception&) {
    }
}

std::vector<std::shared_ptr<OpenDocument>> Session::spreadsheets()
{
    if (!m_frames.is())
        m_frames = m_desktop->getFrames();
    std::erase_if(m_shown, [](const auto& entry) { return entry.second->closed(); });
    // The Desktop's windows by position are in the order they were made
    // (other ways of listing them are not).
    std::vector<std::shared_ptr<OpenDocument>> found;
    const sal_Int32 count = m_frames->getCount();
    for (sal_Int32 i = 0; i < count; ++i) {
        Reference<css::frame::XFrame> frame;
        try {
            m_frames->getByIndex(i) >>= frame;
        } catch (const css::lang::IndexOutOfBoundsException&) {
            break; // windows closed while we looked
        }
        if (!frame.is())
            continue;
        std::shared_ptr<OpenDocument> document;
        const auto known = std::find_if(m_shown.begin(), m_shown.end(), [&frame](const auto& entry) {
            return entry.first.get() == frame.get();
        });
        if (known != m_shown.end()) {
            document = known->second;
        } else {
            const auto controller = frame->getController();
            const auto model = controller.is() ? controller->getModel() : nullptr;
            // No model: the Start Center, or a window still loading.
            document = model.is() ? this->document(model) : nullptr;
            if (document)
                m_shown.emplace_back(frame, document);
        }
        // A workbook shown in two windows is still one workbook.
        if (document && std::find(found.begin(), found.end(), document) == found.end())
            found.push_back(document);
    }
    return found;
}

std::vector<std::shared_ptr<OpenDocument>> Session::rememberedSpreadsheets()
{
    const std::uint64_t now = m_generation->load();
    const bool anyClosed = std::any_of(m_remembered.begin(), m_remembered.end(),
                                       [](const auto& document) { return document->closed(); });
    if (!m_remembers || m_rememberedGeneration != now || anyClosed) {
        m_remembered = spreadsheets();
        m_rememberedGeneration = now;
    }
    return m_remembered;
}

void Session::forget()
{
    ++*m_generation;
}

void Session::showWindow(bool visible)
{
    const std::uint64_t now = m_generation->load();
    if (visible && m_remembers && m_shownGeneration == now)
        return;
    // The office's window is the active one; raised only when it was
    // hidden, so binding does not keep pulling it to the front.
    auto frame = m_desktop->getCurrentFrame();
    if (!frame.is()) {
        const auto frames = m_desktop->getFrames();
        if (frames->getCount() == 0)
            return;
        frames->getByIndex(0) >>= frame;
    }
    const auto window = frame.is() ? windowOf(frame) : nullptr;
    if (!window.is())
        return;
    if (!visible) {
        window->setVisible(false);
        return;
    }
    if (!window->isVisible()) {
        window->setVisible(true);
        const Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
        if (top.is())
            top->toFront();
    }
    if (!m_remembers)
        return;
    // Shown it stays until it is hidden, which the window tells us.
    if (std::none_of(m_watchedWindows.begin(), m_watchedWindows.end(),
                     [&window](const auto& watched) { return watched.get() == window.get(); })) {
        window->addWindowListener(m_windowListener);
        m_watchedWindows.push_back(window);
    }
    m_shownGeneration = now;
}

Reference<css::awt::XWindow2> Session::windowOf(const Reference<css::frame::XFrame>& frame)
{
    for (const auto& [known, window] : m_windows) {
        if (known.get() == frame.get())
            return window;
    }
    // Frames come and go; the few of the moment are enough to remember.
    if (m_windows.size() >= 16)
        m_windows.clear();
    const Reference<css::awt::XWindow2> window(frame->getContainerWindow(), UNO_QUERY);
    m_windows.emplace_back(frame, window);
    return window;
}

std::shared_ptr<OpenDocument> Session::document(const Reference<css::frame::XModel>& model)
{
    const Reference<css::uno::XInterface> identity(model, UNO_QUERY_THROW);
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        std::erase_if(m_documents, [](const auto& document) { return document->closed(); });
        for (const auto& document : m_documents) {
            if (document->identity().get() == identity.get())
                return document;
        }
    }
    const Reference<css::sheet::XSpreadsheetDocument> spreadsheet(model, UNO_QUERY);
    if (!spreadsheet.is())
        return nullptr;
    auto document = std::make_shared<OpenDocument>(model, spreadsheet, m_generation);
    document->watch();
    const std::lock_guard<std::mutex> hold(m_lock);
    m_documents.push_back(document);
    return document;
}

} // namespace sheetwire::calc
