#pragma once
// "基準に設定" in the colour view: the measurement shown becomes a standard.

#include "ColourViewModel.h"

#include <optional>
#include <string>

class wxWindow;

namespace standards {

class Store;

// The standard of what the view shows: its first data line, spectral with
// L*a*b* under the view's illuminant and observer, or L*a*b* under the
// conditions it was measured with. The standard dialog asks for its name
// (the measurement's to begin with), tolerance and note and adds it to
// store. L*a*b* measured with the instrument's button, under conditions the
// program does not know, is refused with message 219. Nothing shown,
// nothing done. The name of the standard added, if one was.
std::optional<std::string> makeStandardOfShown(wxWindow* parent,
                                               const tonvale::ColourViewModel::Shown& shown,
                                               Store& store);

} // namespace standards
