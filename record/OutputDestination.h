#pragma once

namespace tonvale {

// Where measurement results go: the index of the main window's destination
// list, and the value kind the record decodes for it (numbers for the
// worksheet, texts for the text window).
enum OutputDestination { OutputNone = 0, OutputSpreadsheet = 1, OutputText = 2 };

} // namespace tonvale
