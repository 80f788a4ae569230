#pragma once
// The one way the system shows a message: a modal box with the Japanese
// button labels of the rest of the interface, whatever the system locale.
// Any thread may call it; a worker's request is carried to the UI thread
// and the worker waits until the box is dismissed.

#include <string>

namespace uikit {

enum class MessageIcon { Stop, Information, Question };
// SaveDontSaveCancel: "保存する", "保存しない", "ｷｬﾝｾﾙ", answered wxID_YES,
// wxID_NO, wxID_CANCEL.
enum class MessageButtons { Ok, OkCancel, SaveDontSaveCancel };

// Shows text in a modal box captioned caption; returns the button's id.
int messageBox(const std::string& text, const std::string& caption,
               MessageIcon icon = MessageIcon::Stop,
               MessageButtons buttons = MessageButtons::Ok);

// The program is ending and nobody is there to answer a box: from now on
// messageBox shows nothing, writes the text to standard error and answers
// wxID_CANCEL at once, on any thread.
void endMessageBoxes();

} // namespace uikit
