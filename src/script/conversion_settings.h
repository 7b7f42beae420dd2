#pragma once

#include "state/entity_record.h"
#include "stop.h"

#include <string_view>

namespace vektrano {

enum class Axis { X, Y };

// What the converters take from the user. Each value is asked for at the moment
// of use and never kept by the converters, because the user may change it while
// a run yields: the offset at every coordinate, the width at every script line,
// whether a kind is converted once per converter call.
class ConversionSettings
{
public:
    virtual ~ConversionSettings() = default;
    // The offset added to every coordinate on the axis, or why it cannot be used.
    [[nodiscard]] virtual StopOr Offset(Axis axis, double& offset) = 0;
    // The width as it goes into the script, in the script's code page; valid until
    // the next call. A stop when the width cannot go into a script line.
    [[nodiscard]] virtual StopOr Width(std::string_view& bytes) = 0;
    virtual bool Enabled(EntityName kind) = 0;
};

} // namespace vektrano
