#pragma once
// Tonvale's message service: string-table messages in modal boxes captioned
// with the program's title. Callable from any thread (a worker's request is
// shown by the UI thread while the worker waits).

#include "uikit/MessageBox.h"

#include <string>

namespace tonvale {

using uikit::MessageButtons;
using uikit::MessageIcon;

// Shows string id; returns wxID_OK or wxID_CANCEL.
int showMessage(int id, MessageIcon icon = MessageIcon::Stop,
                MessageButtons buttons = MessageButtons::Ok);

// Shows string id with "%1" filled by arg.
int showMessage(int id, const std::string& arg, MessageIcon icon = MessageIcon::Stop);

// Shows a text that is not in the string table (an exception's what(),
// a file error naming the file).
int showText(const std::string& text, MessageIcon icon = MessageIcon::Stop);

} // namespace tonvale
