#pragma once

#include "dxf/dxf_number.h"
#include "state/work_slot.h"

#include <optional>
#include <string>
#include <string_view>

namespace vektrano {

// A window field read as a number, the way a user expects a forgiving field to
// read: "," counts as ".", blanks, tabs and line feeds are ignored wherever they
// stand, and the leading number is taken ("-3.2mm" reads -3.2, "1e" reads 1).
// Text without a leading number gives 0. Never fails; a number beyond the range of
// a double gives an infinity.
double ReadFieldNumber(std::string_view text);

// The layer field: as ReadFieldNumber, except that a "," ends the number.
double ReadLayerNumber(std::string_view text);

// The script's number text: 15 significant digits, plain notation for decimal
// exponents from -4 to 14, otherwise "d.ddd" + "E+dd"; trailing zeros dropped; "0"
// for either zero; always ".", whatever the locale. The value must be finite.
std::string NumberText(double value);

// Writes NumberText(value) at out, which must have room for kMaxNumberText bytes,
// and returns the end.
inline constexpr std::size_t kMaxNumberText = 32;
char* WriteNumberText(char* out, double value);

// A work slot as it stands where a coordinate is written: a number by the rule
// above, a text with every "," replaced by ".", no value as the empty text.
std::string NumberText(const WorkSlot& slot);

} // namespace vektrano
