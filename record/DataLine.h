#pragma once
// The values of a measurement data line as the instrument sends it: the
// reply code, then each value after a comma, for example
// "OK00,1.00,22.50,-3.25". Spectral lines carry 39 values, L*a*b* lines 3.

#include <string_view>
#include <vector>

namespace tonvale {

// The value texts of line, in order. A value has one to three characters
// before its point (digits, a leading sign counting among them) and two
// digits after it: 1.23, -1.23, 123.45, -12.34. The values start at the
// first comma after the line's first character (the reply code is not
// looked at), and the line may end in the CR of its line end. Empty when
// the line has no values or anything between its commas is not a value:
// a line of the wrong shape is never read in part.
std::vector<std::string_view> dataLineValues(std::string_view line);

} // namespace tonvale
