#pragma once

#include <cstddef>
#include <string>
#include <variant>

namespace vektrano {

// A converter work slot: no value, a 64-bit float, or a text (a radius as its value
// line stood). The slot also remembers the DXF line its value came from, so that a
// value that later proves unusable can be named to the user.
struct WorkSlot
{
    std::variant<std::monostate, double, std::string> value;
    std::size_t sourceLine = 0;

    bool HoldsNothing() const { return std::holds_alternative<std::monostate>(value); }
    bool HoldsNumber() const { return std::holds_alternative<double>(value); }
    bool HoldsText() const { return std::holds_alternative<std::string>(value); }

    void SetNumber(double number, std::size_t line)
    {
        value = number;
        sourceLine = line;
    }
    void SetText(std::string_view text, std::size_t line)
    {
        // Reuses the slot's buffer when it already holds a text.
        if (auto* held = std::get_if<std::string>(&value))
            held->assign(text);
        else
            value.emplace<std::string>(text);
        sourceLine = line;
    }
};

} // namespace vektrano
