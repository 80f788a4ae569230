#include "standards/Csv.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <set>

namespace standards {
namespace {

constexpr std::size_t fixedColumns = 14;
constexpr std::size_t columnCount = fixedColumns + colour::bandCount;

std::vector<std::string> headerFields()
{
    std::vector<std::string> fields{"name", "L*", "a*", "b*", "illuminant", "observer", "formula",
                                    "dE", "dL*", "da*", "db*", "note", "created", "changed"};
    for (int band = 0; band < colour::bandCount; ++band)
        fields.push_back(std::to_string(colour::firstWavelength + band * colour::wavelengthStep));
    return fields;
}

constexpr std::array<std::pair<Formula, const char*>, 4> formulaKeys{{
    {Formula::Eab, "dEab"}, {Formula::E94, "dE94"}, {Formula::E00, "dE00"}, {Formula::Cmc, "CMC"}}};

constexpr std::array<const char*, colour::observerCount> observerKeys{"10", "2"};

std::string number(double value)
{
    // The shortest text that reads back as the same double.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = std::int64_t(yoe) + era * 400 + (m <= 2);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

std::string isoTime(std::int64_t seconds)
{
    const std::int64_t days = floorDiv(seconds, 86400);
    const std::int64_t inDay = seconds - days * 86400;
    std::int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    civilFromDays(days, y, m, d);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02dZ", static_cast<long long>(y), m, d,
                  int(inDay / 3600), int(inDay / 60 % 60), int(inDay % 60));
    return text;
}

std::optional<std::int64_t> parseIsoTime(std::string_view text)
{
    // Exactly YYYY-MM-DDThh:mm:ssZ, as written.
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t length) -> std::optional<int> {
        int value = 0;
        const char* first = text.data() + at;
        const auto [end, error] = std::from_chars(first, first + length, value);
        if (error != std::errc() || end != first + length || *first == '-' || *first == '+')
            return std::nullopt;
        return value;
    };
    const auto y = part(0, 4), mo = part(5, 2), d = part(8, 2), h = part(11, 2), mi = part(14, 2),
               s = part(17, 2);
    if (!y || !mo || !d || !h || !mi || !s || *mo < 1 || *mo > 12 || *d < 1 || *h > 23 || *mi > 59 || *s > 59)
        return std::nullopt;
    static constexpr unsigned monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (*y % 4 == 0 && *y % 100 != 0) || *y % 400 == 0;
    if (unsigned(*d) > monthDays[*mo - 1] || (*mo == 2 && *d == 29 && !leap))
        return std::nullopt;
    return daysFromCivil(*y, unsigned(*mo), unsigned(*d)) * 86400 + *h * 3600 + *mi * 60 + *s;
}

void appendField(std::string& out, std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendRecord(std::string& out, const std::vector<std::string>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != 0)
            out += ',';
        appendField(out, fields[i]);
    }
    out += "\r\n";
}

// The records of RFC 4180 text, each with the line it begins on. A lone LF
// ends a record as CR LF does (a file edited elsewhere); a record with one
// empty field is a blank line and is passed over.
struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

std::vector<Record> records(std::string_view text)
{
    std::vector<Record> found;
    std::size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        Record record;
        record.line = line;
        std::string field;
        bool ended = false;
        while (!ended) {
            if (i < text.size() && text[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= text.size())
                        throw CsvError(record.line, Problem::Quote);
                    const char c = text[i++];
                    if (c == '"') {
                        if (i < text.size() && text[i] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field += c;
                }
                // After the closing quote: a separator or the record's end.
                if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n')
                    throw CsvError(record.line, Problem::Quote);
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                    if (text[i] == '"')
                        throw CsvError(record.line, Problem::Quote);
                    field += text[i++];
                }
            }
            record.fields.push_back(std::move(field));
            field.clear();
            if (i >= text.size()) {
                ended = true;
            } else if (text[i] == ',') {
                ++i;
            } else {
                if (text[i] == '\r')
                    ++i;
                if (i < text.size() && text[i] == '\n')
                    ++i;
                ++line;
                ended = true;
            }
        }
        if (record.fields.size() != 1 || !record.fields[0].empty())
            found.push_back(std::move(record));
    }
    return found;
}

Standard standardOf(const Record& record)
{
    const auto fail = [&](Problem problem) { return CsvError(record.line, problem); };
    const std::vector<std::string>& f = record.fields;
    if (f.size() != columnCount)
        throw fail(Problem::Columns);

    Standard s;
    s.name = f[0];
    const auto L = parseNumber(f[1]);
    if (!L)
        throw fail(Problem::LightnessRange);
    const auto a = parseNumber(f[2]);
    const auto b = parseNumber(f[3]);
    if (!a || !b)
        throw fail(Problem::ChromaRange);
    s.lab = {*L, *a, *b};

    s.illuminant = -1;
    for (int code = 0; code < colour::illuminantCount; ++code)
        if (f[4] == colour::illuminantName(code))
            s.illuminant = code;
    s.observer = -1;
    for (int code = 0; code < colour::observerCount; ++code)
        if (f[5] == observerKeys[std::size_t(code)])
            s.observer = code;

    bool known = false;
    for (const auto& [formula, key] : formulaKeys)
        if (f[6] == key) {
            s.tolerance.formula = formula;
            known = true;
        }
    if (!known)
        throw fail(Problem::FormulaKey);
    const auto deltaE = parseNumber(f[7]);
    if (!deltaE)
        throw fail(Problem::DeltaENotNumber);
    s.tolerance.deltaE = *deltaE;
    std::optional<double>* limits[] = {&s.tolerance.dL, &s.tolerance.da, &s.tolerance.db};
    for (std::size_t k = 0; k < 3; ++k) {
        if (f[8 + k].empty())
            continue;
        *limits[k] = parseNumber(f[8 + k]);
        if (!*limits[k])
            throw fail(Problem::LimitNotNumber);
    }
    s.note = f[11];

    // A file written by hand may leave the times out: the store stamps them.
    for (std::size_t k = 0; k < 2; ++k) {
        std::int64_t& time = k == 0 ? s.created : s.changed;
        if (f[12 + k].empty())
            continue;
        const auto parsed = parseIsoTime(f[12 + k]);
        if (!parsed)
            throw fail(Problem::Time);
        time = *parsed;
    }

    std::size_t empty = 0;
    for (std::size_t band = 0; band < std::size_t(colour::bandCount); ++band)
        empty += f[fixedColumns + band].empty() ? 1 : 0;
    if (empty != std::size_t(colour::bandCount)) {
        if (empty != 0)
            throw fail(Problem::Reflectance);
        colour::Spectrum spectrum{};
        for (std::size_t band = 0; band < spectrum.size(); ++band) {
            const auto value = parseNumber(f[fixedColumns + band]);
            if (!value)
                throw fail(Problem::Reflectance);
            spectrum[band] = *value;
        }
        s.reflectance = spectrum;
    }

    if (const Problem problem = check(s); problem != Problem::None)
        throw fail(problem);
    return s;
}

struct Parsed {
    int line;
    Standard standard;
};

std::vector<Parsed> parse(std::string_view text)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    const std::vector<Record> all = records(text);
    if (all.empty() || all.front().fields != headerFields())
        throw CsvError(1, Problem::Header);
    std::vector<Parsed> parsed;
    parsed.reserve(all.size() - 1);
    for (std::size_t i = 1; i < all.size(); ++i)
        parsed.push_back({all[i].line, standardOf(all[i])});
    return parsed;
}

} // namespace

CsvError::CsvError(int line, Problem problem)
    : std::runtime_error("CSV line " + std::to_string(line)), at(line), why(problem)
{
}

std::string toCsv(const std::vector<Standard>& standards)
{
    std::string out;
    appendRecord(out, headerFields());
    for (const Standard& s : standards) {
        std::vector<std::string> fields{s.name, number(s.lab.L), number(s.lab.a), number(s.lab.b),
                                        colour::illuminantName(s.illuminant)};
        fields.push_back(s.observer >= 0 && s.observer < colour::observerCount
                             ? observerKeys[std::size_t(s.observer)]
                             : "");
        for (const auto& [formula, key] : formulaKeys)
            if (formula == s.tolerance.formula)
                fields.push_back(key);
        fields.push_back(number(s.tolerance.deltaE));
        for (const auto& limit : {s.tolerance.dL, s.tolerance.da, s.tolerance.db})
            fields.push_back(limit ? number(*limit) : "");
        fields.push_back(s.note);
        fields.push_back(isoTime(s.created));
        fields.push_back(isoTime(s.changed));
        for (int band = 0; band < colour::bandCount; ++band)
            fields.push_back(s.reflectance ? number((*s.reflectance)[std::size_t(band)]) : "");
        appendRecord(out, fields);
    }
    return out;
}

std::vector<Standard> fromCsv(std::string_view text)
{
    std::vector<Standard> standards;
    for (Parsed& parsed : parse(text))
        standards.push_back(std::move(parsed.standard));
    return standards;
}

std::size_t importCsv(Store& store, std::string_view text)
{
    std::vector<Parsed> all = parse(text);
    std::set<std::string> names;
    std::vector<Standard> standards;
    standards.reserve(all.size());
    for (Parsed& parsed : all) {
        if (!names.insert(parsed.standard.name).second || store.find(parsed.standard.name))
            throw CsvError(parsed.line, Problem::DuplicateName);
        standards.push_back(std::move(parsed.standard));
    }
    store.add(standards);
    return standards.size();
}

} // namespace standards
