#pragma once
// Where the colour view finds colord's spectral tables (cmf/ and
// illuminant/): the system's colord data on Linux, the folder "colord"
// beside the program on Windows, where the installer puts them.

#include <string>

namespace tonvale {

std::string colourTablesDirectory();

} // namespace tonvale
