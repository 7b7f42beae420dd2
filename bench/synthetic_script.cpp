#include "synthetic_script.h"

#include <charconv>

namespace vektrano::bench {

namespace {

void Number(std::string& out, double value)
{
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void At(std::string& out, double x, double y)
{
    out += " (";
    Number(out, x);
    out += ' ';
    Number(out, y);
    out += ')';
}

} // namespace

std::string SyntheticScript(std::size_t lines)
{
    std::string out = "# Trazor generated script file.\r\nGrid mm 0.1;\r\nSet Wire_Bend 2;\r\n"
                      "Layer 20;\r\nChange Font Vector;\r\n";
    out.reserve(lines * 48);
    for (std::size_t i = 5; i < lines; ++i) {
        // Coordinates with the rounding noise the classic mode's arcs carry.
        const double x =
            static_cast<double>(i % 1000) + 0.000000003077 * static_cast<double>(i % 7);
        const double y = static_cast<double>((i / 1000) % 1000) + 0.5;
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            out += "Wire 0.01";
            At(out, x, y);
            At(out, x + 0.75, y + 0.25);
            break;
        case 5:
        case 6:
            out += "wire 0.01";
            At(out, x, y);
            out += " @+0.5";
            At(out, x + 0.5, y + 0.5);
            break;
        case 7:
            out += "Circle 0.01";
            At(out, x, y);
            At(out, x, y + 0.3);
            break;
        case 8:
            out += "Wire 0.2";
            At(out, x, y);
            out += " -90";
            At(out, x + 0.5, y + 0.5);
            break;
        default:
            out += "Wire 0.2";
            At(out, x, y);
            At(out, x + 0.5, y);
            out += " +45";
            At(out, x + 0.5, y + 0.5);
            break;
        }
        out += "\r\n";
    }
    return out;
}

} // namespace vektrano::bench
