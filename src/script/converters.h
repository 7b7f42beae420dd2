#pragma once

#include "converter_context.h"
#include "stop.h"

namespace vektrano {

// One converter per entity kind. In writing mode (OffsetOnly false) they append
// script lines and count the entity as written; in measuring mode they only lower
// MinX and MinY. A stop means a value could not be used; the run ends there.
[[nodiscard]] StopOr Convert_Line(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly);
[[nodiscard]] StopOr Convert_Circle(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly);
[[nodiscard]] StopOr Convert_Arc(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly);
[[nodiscard]] StopOr Convert_Polyline(ConverterContext& context, std::size_t EntityIndex,
                                      bool OffsetOnly);

// The message for a value line that cannot be used as a number.
Stop InvalidNumberStop(const LineTable& lines, std::size_t position);

} // namespace vektrano
