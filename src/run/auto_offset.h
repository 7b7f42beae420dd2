#pragma once

#include "script/converter_context.h"
#include "window_operations.h"

namespace vektrano {

// Runs every enabled converter in measuring mode and writes the negated minima
// into the offset fields, so the output pass moves the smallest coordinates to 0.
[[nodiscard]] StopOr FindOffset(ConverterContext& context, WindowOperations& window);

// -minimum as the offset field shows it: the script's number text with the
// locale's decimal separator.
std::string OffsetFieldText(double minimum, char decimalSeparator);

} // namespace vektrano
