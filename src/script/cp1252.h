#pragma once

#include <string>
#include <string_view>

namespace vektrano {

// The drawing and the script are bytes in Windows-1252; the window and the log
// speak UTF-8. The five unassigned bytes map to the code points of the same value,
// as Windows does, so every byte survives the round trip.
std::string Cp1252ToUtf8(std::string_view bytes);
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// A character Windows-1252 lacks becomes "?"; so does a malformed UTF-8 sequence.
std::string Utf8ToCp1252(std::string_view text);

} // namespace vektrano
