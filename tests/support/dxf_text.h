#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace vektrano::test {

// The five lines every script starts with, for the default layer 20.
inline constexpr std::string_view kHeader = "# Trazor generated script file.\r\n"
                                            "Grid mm 0.1;\r\n"
                                            "Set Wire_Bend 2;\r\n"
                                            "Layer 20;\r\n"
                                            "Change Font Vector;\r\n";

// A drawing given as its lines, each ended by CR LF as most exporters write them.
inline std::string Dxf(std::initializer_list<std::string_view> lines,
                       std::string_view lineEnd = "\r\n")
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

} // namespace vektrano::test
