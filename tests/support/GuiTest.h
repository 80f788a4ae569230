#pragma once
// Test support for code that shows dialogs and message boxes.
//
// Include this header instead of <wx/testing.h>: it routes the modal hook's
// complaints into gtest failures and cancels any dialog nobody expected, so a
// test fails instead of hanging on a box that waits for a person.

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>

#include <chrono>
#include <functional>
#include <string>

#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook

class wxMessageDialog;

class GTestModalHook;
#include <wx/testing.h>

class GTestModalHook : public wxTestingModalHook {
public:
    GTestModalHook(const char* file = nullptr, int line = 0, const char* func = nullptr)
        : wxTestingModalHook(file, line, func), file(file ? file : "?"), line(line)
    {
    }

protected:
    int Enter(wxDialog* dlg) override
    {
        const int answer = wxTestingModalHook::Enter(dlg);
        return answer == wxID_NONE ? wxID_CANCEL : answer;
    }

    void ReportFailure(const wxString& msg) override
    {
        ADD_FAILURE_AT(file, line) << msg.utf8_string();
    }

private:
    const char* file;
    int line;
};

// Expects a message box with exactly this text (UTF-8) and answers it.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
public:
    explicit ExpectMessage(std::string text, int answer = wxID_OK, long icon = wxICON_ERROR);

protected:
    int OnInvoked(wxMessageDialog* dlg) const override;
    wxString GetDefaultDescription() const override;

private:
    std::string text;
    int answer;
    long icon;
};

// Expects a dialog of type T and lets a test body look at it (and press its
// buttons with EndDialog) before it is answered. The body gets the dialog
// after InitDialog(), as a shown modal dialog would be.
template <class T>
class ExpectDialog : public wxExpectModalBase<T, ExpectDialog<T>> {
public:
    explicit ExpectDialog(std::function<int(T&)> body) : body(std::move(body)) {}

protected:
    int OnInvoked(T* dlg) const override
    {
        dlg->InitDialog();
        return body(*dlg);
    }

private:
    std::function<int(T&)> body;
};

// Runs code with the modal hook in place and no dialog expected: any message
// box or dialog it shows is a test failure (and is cancelled, not waited on).
#define EXPECT_NO_DIALOG(code)                                  \
    do {                                                        \
        GTestModalHook noDialogHook(__FILE__, __LINE__);        \
        code;                                                   \
    } while (false)

// Presses the button id of window as the operator's click does; a missing
// or disabled button is a test failure.
void press(wxWindow& window, int id);

// Runs the UI event loop until done() is true or the time limit passes;
// returns done().
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs the UI event loop for the given time.
void pumpFor(std::chrono::milliseconds time);
