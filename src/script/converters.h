#pragma once

#include "converter_context.h"
#include "stop.h"

namespace vektrano {

// One converter per entity kind. In writing mode (OffsetOnly false) they append
// script lines and count the entity as written; in measuring mode they only lower
// MinX and MinY. A stop means a value could not be used; the run ends there.
[[nodiscard]] StopOr Convert_Line(ConverterContext& context, std::size_t EntityIndex,
                                  bool OffsetOnly);
[[nodiscard]] StopOr Convert_Circle(ConverterContext& context, std::size_t EntityIndex,
                                    bool OffsetOnly);
[[nodiscard]] StopOr Convert_Arc(ConverterContext& context, std::size_t EntityIndex,
                                 bool OffsetOnly);
[[nodiscard]] StopOr Convert_Polyline(ConverterContext& context, std::size_t EntityIndex,
                                      bool OffsetOnly);

// The converter of the record's kind; VERTEX, SEQEND and the empty last record
// have none (a polyline reaches its vertices itself).
[[nodiscard]] StopOr ConvertEntity(ConverterContext& context, std::size_t EntityIndex,
                                   bool OffsetOnly);

// The message for a value line that cannot be used as a number.
Stop InvalidNumberStop(const LineTable& lines, std::size_t position);
// The same message for a work slot's value. Slots carry over from earlier runs,
// so the slot's line may lie beyond this file's table: a text slot names its own
// text, any other slot the line only while the table reaches it.
Stop InvalidSlotStop(const LineTable& lines, const WorkSlot& slot);

} // namespace vektrano
