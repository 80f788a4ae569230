#pragma once
// The fields of a standard as the operator types them, and their reading
// into a Standard: what the standard dialog and "基準に設定" share.

#include "standards/Store.h"
#include "standards/Validation.h"

#include <string>

namespace standards {

struct StandardForm {
    std::string name;
    std::string L;
    std::string a;
    std::string b;
    int illuminant = 0;
    int observer = 0;
    // The formula's place in Formula: ΔE*ab, ΔE*94, ΔE00, CMC(l:c).
    int formula = int(Formula::E00);
    std::string deltaE = "1";
    // Empty for no limit.
    std::string dL;
    std::string da;
    std::string db;
    std::string note;

    static StandardForm of(const Standard& standard);
};

// The field a problem is in, for the dialog to put the caret there.
enum class Field { None, Name, L, A, B, Conditions, DeltaE, DL, Da, Db, Note };

struct Reading {
    Problem problem = Problem::None;
    Field field = Field::None;
    explicit operator bool() const { return problem == Problem::None; }
};

// Each takes its part of the form into standard when it is sound.
Reading readName(const StandardForm& form, Standard& standard);
Reading readColour(const StandardForm& form, Standard& standard);
Reading readTolerance(const StandardForm& form, Standard& standard);

// Numbers as the dialogs show them: two decimals for a colour, the
// shortest exact text for a limit.
std::string colourText(double value);
std::string limitText(double value);

// The operator's messages: why a standard was refused, why the store
// refused (its file and reason), why a CSV file was not imported.
std::string problemText(Problem problem);
std::string storeErrorText(const StoreError& error);

// A summary of a standard's colour and tolerance, for the dialog's details.
std::string colourSummary(const Standard& standard);
std::string toleranceSummary(const Tolerance& tolerance);

} // namespace standards
