#pragma once

#include "board/board_writer.h"

#include <string>

namespace vektrano {

// What a run with a layer map did per Eagle layer, its contours and holes, and
// what it left out, in the log's words.
std::string BoardReportText(const BoardReport& report);

} // namespace vektrano
