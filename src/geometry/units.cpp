#include "units.h"

#include <array>

namespace vektrano {

namespace {

struct UnitRow
{
    long long code;
    std::string_view option; // empty where the command line does not offer it
    DrawingUnit unit;
};

constexpr std::array<UnitRow, 14> kUnits{{
    {1, "inch", {25.4, "Zoll"}},
    {2, "foot", {304.8, "Fuß"}},
    {3, "", {1609344, "Meilen"}},
    {4, "mm", {1, "Millimeter"}},
    {5, "cm", {10, "Zentimeter"}},
    {6, "m", {1000, "Meter"}},
    {7, "", {1000000, "Kilometer"}},
    {8, "", {0.0000254, "Mikrozoll"}},
    {9, "mil", {0.0254, "Mil"}},
    {10, "", {914.4, "Yard"}},
    {11, "", {1e-7, "Ångström"}},
    {12, "", {1e-6, "Nanometer"}},
    {13, "", {0.001, "Mikrometer"}},
    {14, "", {100, "Dezimeter"}},
}};

} // namespace

std::optional<DrawingUnit> UnitOfInsunits(long long code)
{
    for (const UnitRow& row : kUnits)
        if (row.code == code)
            return row.unit;
    return std::nullopt;
}

std::optional<DrawingUnit> UnitOfName(std::string_view name)
{
    for (const UnitRow& row : kUnits)
        if (!row.option.empty() && row.option == name)
            return row.unit;
    return std::nullopt;
}

} // namespace vektrano
