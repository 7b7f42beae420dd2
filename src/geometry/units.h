#pragma once

#include <optional>
#include <string_view>

namespace vektrano {

// A drawing unit: how many millimetres one unit is, and its German name.
struct DrawingUnit
{
    double millimetres = 1;
    std::string_view name;
};

// The unit an $INSUNITS code names; nullopt for 0 ("unitless") and every code
// the table lacks.
std::optional<DrawingUnit> UnitOfInsunits(long long code);

// The units a user may name on the command line: mm, cm, m, inch, mil, foot.
std::optional<DrawingUnit> UnitOfName(std::string_view name);

} // namespace vektrano
