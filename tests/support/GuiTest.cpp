#include "GuiTest.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>

#include <thread>

ExpectMessage::ExpectMessage(std::string text, int answer, long icon)
    : text(std::move(text)), answer(answer), icon(icon)
{
}

int ExpectMessage::OnInvoked(wxMessageDialog* dlg) const
{
    EXPECT_EQ(dlg->GetMessage().utf8_string(), text);
    EXPECT_EQ(dlg->GetMessageDialogStyle() & wxICON_MASK, icon)
        << "icon of message box \"" << text << "\"";
    return answer;
}

wxString ExpectMessage::GetDefaultDescription() const
{
    return wxString::FromUTF8("message box \"" + text + "\"");
}

void press(wxWindow& window, int id)
{
    wxWindow* button = window.FindWindow(id);
    if (button == nullptr) {
        ADD_FAILURE() << "no button " << id;
        return;
    }
    if (!button->IsEnabled()) {
        ADD_FAILURE() << "button " << id << " pressed while disabled";
        return;
    }
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return done();
        wxTheApp->ProcessPendingEvents();
        if (auto* loop = wxEventLoopBase::GetActive())
            loop->YieldFor(wxEVT_CATEGORY_ALL);
        else
            wxYield();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void pumpFor(std::chrono::milliseconds time)
{
    pumpUntil([] { return false; }, time);
}
