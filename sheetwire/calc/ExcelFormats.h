#pragma once
// Excel's formatting numbers, as the library passes them through, turned into
// what Calc takes. Each returns nothing for a number Excel itself would
// refuse, so that the caller raises the error Excel would raise.

#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>

#include <cstdint>
#include <optional>

namespace sheetwire::calc {

// A colour of Excel's default 56-colour palette (index 1..56) as 0xRRGGBB.
std::optional<std::int32_t> paletteColour(std::int32_t colorIndex);

// HorizontalAlignment: general, left, centre, right, fill, justify, centre
// across the selection, distributed.
std::optional<com::sun::star::table::CellHoriJustify> horizontalJustify(std::int16_t alignment);

// VerticalAlignment: top, centre, bottom, justify, distributed; a
// CellVertJustify2 constant.
std::optional<std::int32_t> verticalJustify(std::int16_t alignment);

// One line of BorderAround. The colour comes from the palette when the
// colour index names one of its colours, otherwise from the RGB colour
// (Excel's 0x00BBGGRR). Line style "none" gives a line that removes the
// border.
std::optional<com::sun::star::table::BorderLine2> borderLine(std::int16_t lineStyle,
                                                            std::int32_t weight,
                                                            std::int32_t colorIndex,
                                                            std::int32_t color);

} // namespace sheetwire::calc
