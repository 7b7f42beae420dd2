#include "script_path.h"

namespace vektrano {

std::string ScriptPathFor(std::string_view dxfPath)
{
    std::size_t end = dxfPath.size();
    auto continuation = [&dxfPath](std::size_t i) {
        return (static_cast<unsigned char>(dxfPath[i]) & 0xC0) == 0x80;
    };
    for (int dropped = 0; dropped < 3 && end > 0; ++dropped) {
        --end;
        std::size_t start = end;
        while (start > 0 && end - start < 3 && continuation(start))
            --start;
        if (static_cast<unsigned char>(dxfPath[start]) >= 0xC0)
            end = start;
    }
    return std::string(dxfPath.substr(0, end)) + "scr";
}

} // namespace vektrano
