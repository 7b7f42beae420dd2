#pragma once

#include "geometry/point.h"
#include "script_file.h"

#include <string_view>

namespace vektrano {

// The Eagle commands full geometry writes, one line each, in the script's
// number text. It knows nothing of where the geometry came from.
class ScriptWriter
{
public:
    // width: the wire width as the script spells it, in the script's code page.
    ScriptWriter(ScriptFile& script, std::string_view width)
        : script_(script)
        , width_(width)
    {}

    // Arcs of curves the drawing names as arcs keep the lower-case spelling the
    // scripts have always had; straight wires and polyline arcs do not.
    enum class Spelling { Upper, Lower };

    void Wire(Point from, Point to);
    // A circular arc from `from` to `to`, sweepDegrees signed (counter-clockwise
    // positive), written with its sign.
    void Arc(Point from, Point to, double sweepDegrees, Spelling spelling);
    void Circle(Point centre, double radius);
    // A drill of the given diameter; Eagle draws its circle on Dimension itself.
    void Hole(Point centre, double diameter);
    // Selects the layer for what follows.
    void Layer(double number);
    // Names a layer of the user's own (above 100), which a new board lacks.
    void DefineLayer(double number, std::string_view name);

    bool Failed() const { return script_.Failed(); }

private:
    void AppendPoint(Point p);

    ScriptFile& script_;
    std::string_view width_;
};

} // namespace vektrano
