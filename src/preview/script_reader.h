#pragma once

#include "script_commands.h"
#include "script_picture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vektrano {

// How much of an unreadable script is remembered: the preview lists so many of
// the lines it passes by, keeps a line of at most so many bytes, and draws at
// most so many shapes, so that a file that is not a script (a disc image, a
// 10 GB log) costs bounded memory and still shows what it can.
constexpr std::size_t kMaxNotShownListed = 1000;
constexpr std::size_t kMaxNotShownText = 60;
constexpr std::size_t kMaxLineBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxShapes = std::size_t{10'000'000};

// Reads an Eagle script as Eagle would draw it: Wire, Circle, Hole, Text and
// Polygon commands become shapes in millimetres after the Grid unit in force, on
// the layer in force; Grid, Set, Layer and Change are read or passed over;
// comments and blank lines are skipped; every other line is listed as not shown.
// Takes its text in pieces of any size, cut anywhere.
class ScriptReader
{
public:
    // Makes room for the shapes of a text of about so many bytes.
    void Reserve(std::uintmax_t bytes);
    void Feed(std::string_view piece);
    // Reads a last line without its line end; the picture is complete after it.
    ScriptPicture Finish();

private:
    void ReadLine(std::string_view line);
    bool AddToPicture(const LineShapes& line);
    void ListNotShown(std::size_t line, std::string_view text);

    ScriptPicture picture_;
    std::string pending_; // the start of a line cut by the end of a piece
    bool pendingTooLong_ = false;
    CommandReader commands_;
    LineShapes lineShapes_; // kept between lines, so a line costs no allocation
    std::array<KindSummary, 256> layers_;
};

ScriptPicture ReadScriptText(std::string_view text);

struct ScriptFileRead
{
    std::optional<ScriptPicture> picture; // empty when the file could not be read
    int error = 0;                        // errno of the failure
};

// Reads the file in pieces, so its size costs no memory beyond the picture;
// pause, when given, is called between the pieces.
ScriptFileRead ReadScriptFile(const std::string& path, const std::function<void()>& pause = {});

} // namespace vektrano
