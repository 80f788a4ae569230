#pragma once
// Excel's formatting numbers, as the library passes them through, turned into
// what Calc takes. A number Excel itself would refuse raises the
// AutomationError Excel would raise.

#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace sheetwire::calc {

// A colour of Excel's default 56-colour palette (index 1..56) as 0xRRGGBB.
std::optional<std::int32_t> paletteColour(std::int32_t colorIndex);

// Font.ColorIndex as a character colour: 0, "automatic" and "none" give the
// automatic colour (-1), which follows the cell's background.
std::int32_t fontColour(std::int16_t colorIndex);

// Interior.ColorIndex as a cell background: "none" and "automatic" leave
// the cells unfilled (-1).
std::int32_t interiorColour(std::int16_t colorIndex);

// Interior.Pattern as the background's transparency: Calc fills cells only
// solidly, so every pattern but "none" shows the interior colour.
bool transparentBackground(std::int16_t pattern);

// HorizontalAlignment: general, left, centre, right, fill, justify, centre
// across the selection, distributed.
com::sun::star::table::CellHoriJustify horizontalJustify(std::int16_t alignment);

// VerticalAlignment: top, centre, bottom, justify, distributed; a
// CellVertJustify2 constant.
std::int32_t verticalJustify(std::int16_t alignment);

// The outline of BorderAround, the lines between the cells left as they
// are. The colour comes from the palette when the colour index names one
// of its colours, otherwise from the RGB colour (Excel's 0x00BBGGRR). Line
// style "none" gives lines that remove the border.
com::sun::star::table::TableBorder2 outline(std::int16_t lineStyle, std::int32_t weight,
                                            std::int32_t colorIndex, std::int32_t color);

// Range.Address of the cells between two corners (1-based column and row),
// as Excel writes it: "$C$10" for one cell, "$A$1:$B$5" for more.
std::string excelAddress(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                         std::int32_t lastRow);

} // namespace sheetwire::calc
