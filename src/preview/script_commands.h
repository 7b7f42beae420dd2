#pragma once

#include "script_picture.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vektrano {

class Tokens;

// What the commands of one script line draw. A text's or a polygon's detail
// indexes texts or polygons here; a polygon's edges lie in polygonEdges.
struct LineShapes
{
    std::vector<Shape> shapes;
    std::vector<TextShape> texts;
    std::vector<PolygonShape> polygons;
    std::vector<Shape> polygonEdges;

    // Keeps the room already made, so a line costs no allocation.
    void Clear();
};

// The box around a wire's, arc's, circle's or hole's centre line: an arc's
// includes the points where it crosses an axis through its centre.
Box OutlineBox(const Shape& shape);

// Reads a script's commands one at a time, as Eagle would draw them, and keeps
// what a command leaves in force for the commands after it: the Grid unit, the
// layer, the Change values and the drill. Each command family has a member of
// its own; a new one is that member and one line in Read.
class CommandReader
{
public:
    // Reads one command, the text of script line `line` up to a ";", and adds
    // what it draws to out. False when the command cannot be shown; it then
    // adds nothing, though a Grid keeps a unit it read before the fault.
    bool Read(std::string_view command, std::size_t line, LineShapes& out);

    // The name a Layer command gave the layer, or else Eagle's own.
    std::string LayerName(int layer) const;

private:
    bool ReadGrid(Tokens& tokens);
    bool ReadLayer(Tokens& tokens);
    bool ReadChange(Tokens& tokens);
    bool ReadAlign(Tokens& tokens);
    bool ReadWire(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes);
    bool ReadCircle(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes);
    bool ReadHole(Tokens& tokens, std::size_t line, std::vector<Shape>& shapes);
    bool ReadText(Tokens& tokens, std::size_t line, LineShapes& out);
    bool ReadPolygon(Tokens& tokens, std::size_t line, LineShapes& out);
    // The points and bends of a Wire or a Polygon after its name, width and end
    // style, one shape per segment; counts the points.
    bool ReadChain(Tokens& tokens, std::size_t line, std::vector<Shape>& segments,
                   std::size_t& points);
    // A width given before a command's first point, in grid units.
    bool ReadWidth(double value, double& width) const;
    // A positive length in grid units, as Change Size and a drill give it.
    std::optional<double> ReadLength(std::string_view word) const;
    static TextShape DefaultText();

    double unit_ = 1;      // millimetres per grid unit
    double wireWidth_ = 0; // Change Width, in millimetres
    std::uint8_t layer_ = 0;
    std::optional<double> drill_;    // Change Drill or the last Hole's, in millimetres
    TextShape text_ = DefaultText(); // Change Size, Ratio, Align and Font; no string
    std::array<std::string, 256> layerNames_;
};

} // namespace vektrano
