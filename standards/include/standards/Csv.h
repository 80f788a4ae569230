#pragma once
// Standards as CSV, for handing a library from one PC to another: RFC 4180,
// UTF-8, CR LF line ends, '.' decimals whatever the locale, an English
// header line, one standard a record with every field of it: name, L*, a*,
// b*, illuminant, observer, formula, the ΔE limit, the ΔL*, Δa*, Δb* limits
// (empty when not given), note, when it was made and changed (ISO 8601,
// UTC), and the 39 reflectances 360..740 nm (empty for an L*a*b* standard).

#include "standards/Store.h"
#include "standards/Validation.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace standards {

std::string toCsv(const std::vector<Standard>& standards);

// A CSV file that cannot be taken as a whole: the line (1 is the header) of
// the first bad record, and why.
class CsvError : public std::runtime_error {
public:
    CsvError(int line, Problem problem);
    int line() const { return at; }
    Problem problem() const { return why; }

private:
    int at;
    Problem why;
};

// Every standard of a CSV file, each one checked; a byte-order mark before
// the header is allowed. Throws CsvError at the first bad record.
std::vector<Standard> fromCsv(std::string_view text);

// Adds every standard of a CSV file to store, or none of them: a bad record,
// or a name that is in the store already or twice in the file, throws
// CsvError and adds nothing. Errors of the store itself are StoreError.
// Returns how many were added.
std::size_t importCsv(Store& store, std::string_view text);

} // namespace standards
