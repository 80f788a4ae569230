#include "StandardForm.h"

#include "Strings.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace standards {
namespace {

std::string text(int id) { return tonvale::strings().get(id); }

Reading problemIn(Problem problem, Field field) { return {problem, field}; }

// A limit field: empty for none, else a number above zero.
Reading readLimit(const std::string& typed, std::optional<double>& limit, Field field)
{
    if (typed.empty()) {
        limit.reset();
        return {};
    }
    limit = parseNumber(typed);
    if (!limit)
        return problemIn(Problem::LimitNotNumber, field);
    if (*limit <= 0)
        return problemIn(Problem::NotPositive, field);
    return {};
}

constexpr std::array<const char*, 4> formulaNames{"ΔE*ab", "ΔE*94", "ΔE00", "CMC(2:1)"};

} // namespace

StandardForm StandardForm::of(const Standard& standard)
{
    StandardForm form;
    form.name = standard.name;
    form.L = colourText(standard.lab.L);
    form.a = colourText(standard.lab.a);
    form.b = colourText(standard.lab.b);
    form.illuminant = standard.illuminant;
    form.observer = standard.observer;
    form.formula = int(standard.tolerance.formula);
    form.deltaE = limitText(standard.tolerance.deltaE);
    form.dL = standard.tolerance.dL ? limitText(*standard.tolerance.dL) : "";
    form.da = standard.tolerance.da ? limitText(*standard.tolerance.da) : "";
    form.db = standard.tolerance.db ? limitText(*standard.tolerance.db) : "";
    form.note = standard.note;
    return form;
}

Reading readName(const StandardForm& form, Standard& standard)
{
    if (const Problem problem = checkName(form.name); problem != Problem::None)
        return problemIn(problem, Field::Name);
    standard.name = form.name;
    return {};
}

Reading readColour(const StandardForm& form, Standard& standard)
{
    Standard read = standard;
    const auto L = parseNumber(form.L);
    if (!L)
        return problemIn(Problem::LightnessRange, Field::L);
    const auto a = parseNumber(form.a);
    if (!a)
        return problemIn(Problem::ChromaRange, Field::A);
    const auto b = parseNumber(form.b);
    if (!b)
        return problemIn(Problem::ChromaRange, Field::B);
    read.lab = {*L, *a, *b};
    read.illuminant = form.illuminant;
    read.observer = form.observer;
    if (const Problem problem = checkColour(read); problem != Problem::None) {
        const Field field = problem == Problem::LightnessRange ? Field::L
                            : problem == Problem::ChromaRange  ? (std::abs(*a) > maxAbsAB ? Field::A : Field::B)
                                                               : Field::Conditions;
        return problemIn(problem, field);
    }
    standard = read;
    return {};
}

Reading readTolerance(const StandardForm& form, Standard& standard)
{
    Tolerance tolerance;
    if (form.formula < 0 || form.formula > int(Formula::Cmc))
        return problemIn(Problem::FormulaKey, Field::DeltaE);
    tolerance.formula = Formula(form.formula);
    const auto deltaE = parseNumber(form.deltaE);
    if (!deltaE)
        return problemIn(Problem::DeltaENotNumber, Field::DeltaE);
    if (*deltaE <= 0)
        return problemIn(Problem::NotPositive, Field::DeltaE);
    tolerance.deltaE = *deltaE;
    for (const auto& [typed, limit, field] :
         {std::tuple{&form.dL, &tolerance.dL, Field::DL}, std::tuple{&form.da, &tolerance.da, Field::Da},
          std::tuple{&form.db, &tolerance.db, Field::Db}})
        if (const Reading reading = readLimit(*typed, *limit, field); !reading)
            return reading;
    if (const Problem problem = checkNote(form.note); problem != Problem::None)
        return problemIn(problem, Field::Note);
    standard.tolerance = tolerance;
    standard.note = form.note;
    return {};
}

std::string colourText(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    // snprintf follows the C locale, which the program keeps at "C" for numbers.
    return buffer;
}

std::string limitText(double value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string problemText(Problem problem)
{
    switch (problem) {
    case Problem::None: return {};
    case Problem::NameEmpty: return text(200);
    case Problem::NameTooLong: return text(201);
    case Problem::BadCharacters: return text(202);
    case Problem::DeltaENotNumber: return text(203);
    case Problem::NotPositive: return text(204);
    case Problem::LimitNotNumber: return text(205);
    case Problem::LightnessRange: return text(206);
    case Problem::ChromaRange: return text(207);
    case Problem::Conditions: return text(208);
    case Problem::Reflectance: return text(209);
    case Problem::DuplicateName: return text(197);
    case Problem::Columns: return text(212);
    case Problem::Quote: return text(213);
    case Problem::Header: return text(214);
    case Problem::FormulaKey: return text(215);
    case Problem::Time: return text(216);
    }
    return {};
}

std::string storeErrorText(const StoreError& error)
{
    static constexpr std::array<std::pair<StoreFault, int>, 8> reasons{{
        {StoreFault::Corrupt, 192}, {StoreFault::Foreign, 193}, {StoreFault::NewerSchema, 194},
        {StoreFault::ReadOnly, 195}, {StoreFault::Locked, 196}, {StoreFault::DuplicateName, 197},
        {StoreFault::NoSuchStandard, 198}, {StoreFault::Io, 199}}};
    std::string reason;
    for (const auto& [fault, id] : reasons)
        if (fault == error.fault())
            reason = text(id);
    std::string message = error.file() + "\n" + reason;
    // What the system said helps whoever looks into the file later.
    if (!error.detail().empty())
        message += "\n(" + error.detail() + ")";
    return message;
}

std::string colourSummary(const Standard& standard)
{
    std::string summary = "L* " + colourText(standard.lab.L) + "  a* " + colourText(standard.lab.a) + "  b* " +
                          colourText(standard.lab.b) + "  " + colour::illuminantName(standard.illuminant) +
                          (standard.observer == 1 ? "/2°" : "/10°");
    if (standard.reflectance)
        summary += "  (360-740 nm)";
    return summary;
}

std::string toleranceSummary(const Tolerance& tolerance)
{
    std::string summary = std::string(formulaNames[std::size_t(tolerance.formula)]) + " ≦ " + limitText(tolerance.deltaE);
    for (const auto& [name, limit] : {std::pair{"ΔL*", tolerance.dL}, std::pair{"Δa*", tolerance.da},
                                      std::pair{"Δb*", tolerance.db}})
        if (limit)
            summary += std::string("  ") + name + " ±" + limitText(*limit);
    return summary;
}

} // namespace standards
