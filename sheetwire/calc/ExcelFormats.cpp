#include "ExcelFormats.h"

#include "sheetwire/Automation.h"

#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellVertJustify2.hpp>

#include <array>
#include <string>

namespace sheetwire::calc {

namespace table = com::sun::star::table;

namespace {

// Excel's default palette, fixed since its first versions.
constexpr std::array<std::int32_t, 56> palette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, // 1-8
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, // 9-16
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, // 17-24
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF, // 25-32
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99, // 33-40
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, // 41-48
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333, // 49-56
};

// Excel's constants.
constexpr std::int16_t xlGeneral = 1, xlLeft = -4131, xlCenter = -4108, xlRight = -4152,
                       xlFill = 5, xlJustify = -4130, xlCenterAcrossSelection = 7,
                       xlDistributed = -4117, xlTop = -4160, xlBottom = -4107;
constexpr std::int16_t xlContinuous = 1, xlDash = -4115, xlDashDot = 4, xlDashDotDot = 5,
                       xlDot = -4118, xlDouble = -4119, xlSlantDashDot = 13,
                       xlLineStyleNone = -4142;
constexpr std::int32_t xlHairline = 1, xlThin = 2, xlMedium = -4138, xlThick = 4;
constexpr std::int16_t xlColorIndexAutomatic = -4105, xlColorIndexNone = -4142,
                       xlPatternNone = -4142;

} // namespace

std::optional<std::int32_t> paletteColour(std::int32_t colorIndex)
{
    if (colorIndex < 1 || colorIndex > static_cast<std::int32_t>(palette.size()))
        return std::nullopt;
    return palette[static_cast<std::size_t>(colorIndex - 1)];
}

namespace {

[[noreturn]] void refuse(const std::string& what)
{
    throw AutomationError(AutomationFailure::Refused, what);
}

std::int32_t colourOf(const char* member, std::int16_t colorIndex)
{
    const auto colour = paletteColour(colorIndex);
    if (!colour)
        refuse(std::string(member) + ": " + std::to_string(colorIndex) + " is no colour index");
    return *colour;
}

} // namespace

std::int32_t fontColour(std::int16_t colorIndex)
{
    if (colorIndex == 0 || colorIndex == xlColorIndexAutomatic || colorIndex == xlColorIndexNone)
        return -1;
    return colourOf("Font.ColorIndex", colorIndex);
}

std::int32_t interiorColour(std::int16_t colorIndex)
{
    if (colorIndex == xlColorIndexNone || colorIndex == xlColorIndexAutomatic)
        return -1;
    return colourOf("Interior.ColorIndex", colorIndex);
}

bool transparentBackground(std::int16_t pattern)
{
    return pattern == xlPatternNone;
}

table::CellHoriJustify horizontalJustify(std::int16_t alignment)
{
    switch (alignment) {
    case xlGeneral: return table::CellHoriJustify_STANDARD;
    case xlLeft: return table::CellHoriJustify_LEFT;
    case xlCenter:
    case xlCenterAcrossSelection: return table::CellHoriJustify_CENTER;
    case xlRight: return table::CellHoriJustify_RIGHT;
    case xlFill: return table::CellHoriJustify_REPEAT;
    case xlJustify:
    case xlDistributed: return table::CellHoriJustify_BLOCK;
    default: refuse("Range.HorizontalAlignment: " + std::to_string(alignment) + " is no alignment");
    }
}

std::int32_t verticalJustify(std::int16_t alignment)
{
    switch (alignment) {
    case xlTop: return table::CellVertJustify2::TOP;
    case xlCenter: return table::CellVertJustify2::CENTER;
    case xlBottom: return table::CellVertJustify2::BOTTOM;
    case xlJustify:
    case xlDistributed: return table::CellVertJustify2::BLOCK;
    default: refuse("Range.VerticalAlignment: " + std::to_string(alignment) + " is no alignment");
    }
}

table::TableBorder2 outline(std::int16_t lineStyle, std::int32_t weight, std::int32_t colorIndex,
                           std::int32_t color)
{
    const std::string noBorder = "Range.BorderAround: line style " + std::to_string(lineStyle) +
                                 " with weight " + std::to_string(weight) + " is no border";
    table::BorderLine2 line;
    switch (lineStyle) {
    case xlContinuous: line.LineStyle = table::BorderLineStyle::SOLID; break;
    case xlDash: line.LineStyle = table::BorderLineStyle::DASHED; break;
    case xlDot: line.LineStyle = table::BorderLineStyle::DOTTED; break;
    case xlDashDot:
    case xlSlantDashDot: line.LineStyle = table::BorderLineStyle::DASH_DOT; break;
    case xlDashDotDot: line.LineStyle = table::BorderLineStyle::DASH_DOT_DOT; break;
    case xlDouble: line.LineStyle = table::BorderLineStyle::DOUBLE; break;
    case xlLineStyleNone: line.LineStyle = table::BorderLineStyle::NONE; break;
    default: refuse(noBorder);
    }
    // Widths in 1/100 mm, those of Calc's own hairline, thin, medium and
    // thick lines.
    switch (weight) {
    case xlHairline: line.LineWidth = 2; break;
    case xlThin: line.LineWidth = 26; break;
    case xlMedium: line.LineWidth = 53; break;
    case xlThick: line.LineWidth = 79; break;
    default: refuse(noBorder);
    }
    if (lineStyle == xlLineStyleNone)
        line.LineWidth = 0;
    if (const auto fromPalette = paletteColour(colorIndex)) {
        line.Color = *fromPalette;
    } else {
        const auto rgb = static_cast<std::uint32_t>(color);
        line.Color = static_cast<std::int32_t>((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
    }
    table::TableBorder2 border;
    border.TopLine = border.BottomLine = border.LeftLine = border.RightLine = line;
    border.IsTopLineValid = border.IsBottomLineValid = border.IsLeftLineValid =
        border.IsRightLineValid = true;
    border.IsHorizontalLineValid = border.IsVerticalLineValid = false;
    return border;
}

std::string excelAddress(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                         std::int32_t lastRow)
{
    const auto corner = [](std::int32_t column, std::int32_t row) {
        std::string letters;
        for (; column > 0; column = (column - 1) / 26)
            letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
        return "$" + letters + "$" + std::to_string(row);
    };
    const std::string first = corner(firstColumn, firstRow);
    if (firstColumn == lastColumn && firstRow == lastRow)
        return first;
    return first + ":" + corner(lastColumn, lastRow);
}

} // namespace sheetwire::calc
