#pragma once

#include <string>
#include <string_view>

namespace vektrano {

// The script path that goes with a drawing: the drawing's path less its last three
// characters (whatever they are), followed by "scr". Characters, not bytes: an
// umlaut at the end is dropped whole. A stray byte that starts no character
// counts as one.
std::string ScriptPathFor(std::string_view dxfPath);

} // namespace vektrano
