#pragma once

#include "script_picture.h"

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

// Reads an Eagle script as Eagle would draw it on one layer: Wire and Circle
// commands become shapes in millimetres after the Grid unit in force; Grid, Set,
// Layer and Change are read or passed over; comments and blank lines are
// skipped; every other line is listed as not shown. Takes its text in pieces of
// any size, cut anywhere.
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
    void ListNotShown(std::size_t line, std::string_view text);

    ScriptPicture picture_;
    std::string pending_; // the start of a line cut by the end of a piece
    bool pendingTooLong_ = false;
    double unit_ = 1;      // millimetres per grid unit
    double wireWidth_ = 0; // Change Width, in millimetres
    std::vector<Shape> lineShapes_;
    std::vector<Point> points_;
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

// The centre and radius of the arc from start to end that turns by sweep degrees
// (positive counter-clockwise), or nothing when no such arc exists.
struct ArcCircle
{
    Point centre;
    double radius = 0;
};
std::optional<ArcCircle> ArcThroughSweep(Point start, Point end, double sweep);
// The arc of radius |radius| from start to end that turns at most 180 degrees,
// counter-clockwise for a positive radius; its sweep follows.
struct RadiusArc
{
    ArcCircle circle;
    double sweep = 0;
};
std::optional<RadiusArc> ArcThroughRadius(Point start, Point end, double radius);

// The box around one shape's centre line: an arc's includes the points where it
// crosses an axis through its centre.
Extent ShapeExtent(const Shape& shape);

// The angle of p seen from centre, in degrees.
double AngleOf(Point centre, Point p);

} // namespace vektrano
