#pragma once
// What the automatic naming dialog does, apart from its controls: it edits
// "Mes_Num", "Name_Default" and "Chk_AutoNaming" and saves the settings file
// on OK and on Cancel.

#include "PropertyFile.h"

#include <string>

namespace tonvale {

class AutoNaming {
public:
    // The store and the file it is saved to; both outlive the dialog.
    void setSettings(PropertyFile& store, std::string path);

    // Reads the three keys (missing ones get their fallbacks), shows them in
    // the fields and remembers them for cancel().
    void open();

    // Stores the fields and saves the file, then checks them: the number must
    // be 1..99999, the prefix at most 30 characters. On a failed check the
    // message has been shown, the stored values stay, and the field to
    // correct is returned.
    enum class Invalid { None, Number, Prefix };
    Invalid confirm();

    // Stores the values found on opening and saves the file.
    void cancel();

    // The number field after an arrow key: its number moved by delta and
    // kept within 1..99999.
    static std::string stepNumber(const std::string& numberText, int delta);

    // The fields, exchanged with the dialog's controls.
    std::string numberText;
    std::string prefix;
    bool autoNaming = false;

private:
    PropertyFile* store = nullptr;
    std::string path;
    int openedAutoNaming = 0;
    std::string openedPrefix;
    int openedNumber = 0;
};

} // namespace tonvale
