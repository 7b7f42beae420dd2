#include "script_writer.h"

#include "number_rules.h"

namespace vektrano {

void ScriptWriter::Wire(Point from, Point to)
{
    script_.Append("Wire ");
    script_.Append(width_);
    AppendPoint(from);
    AppendPoint(to);
    script_.EndLine();
}

void ScriptWriter::Arc(Point from, Point to, double sweepDegrees, Spelling spelling)
{
    script_.Append(spelling == Spelling::Lower ? "wire " : "Wire ");
    script_.Append(width_);
    AppendPoint(from);
    script_.Append(sweepDegrees > 0 ? " +" : " ");
    script_.AppendNumber(sweepDegrees);
    AppendPoint(to);
    script_.EndLine();
}

void ScriptWriter::Circle(Point centre, double radius)
{
    script_.Append("Circle ");
    script_.Append(width_);
    AppendPoint(centre);
    AppendPoint({centre.x, centre.y + radius});
    script_.EndLine();
}

void ScriptWriter::Hole(Point centre, double diameter)
{
    script_.Append("Hole ");
    script_.AppendNumber(diameter);
    AppendPoint(centre);
    script_.WriteLine(";");
}

void ScriptWriter::Layer(double number)
{
    script_.Append("Layer ");
    script_.AppendNumber(number);
    script_.WriteLine(";");
}

void ScriptWriter::DefineLayer(double number, std::string_view name)
{
    script_.Append("Layer ");
    script_.AppendNumber(number);
    script_.Append(" ");
    script_.Append(name);
    script_.WriteLine(";");
}

void ScriptWriter::AppendPoint(Point p)
{
    script_.Append(" (");
    script_.AppendNumber(p.x);
    script_.Append(" ");
    script_.AppendNumber(p.y);
    script_.Append(")");
}

void ScriptWriter::Text(const PlacedText& text, int ratio)
{
    if (!(text.height >= kMinTextHeight && text.height <= kMaxTextHeight)) {
        ++tally_.heightOutOfRange;
        return;
    }
    std::string& commands = scratch_;
    commands.clear();
    std::size_t written = 0;
    for (std::size_t i = 0; i < text.lines.size(); ++i)
        if (AppendTextCommand(commands, text.lines[i], text.angle, text.mirrored,
                              LineAnchor(text, i), tally_.characters))
            ++written;
    if (written == 0)
        return;
    changes_.clear();
    AppendTextChanges(changes_, textState_, {text.height, ratio, text.align});
    script_.Append(changes_);
    script_.Append(commands);
    ++tally_.texts;
    tally_.textLines += written;
}

bool ScriptWriter::Polygon(std::span<const Point> corners)
{
    std::string& line = scratch_;
    line.assign("Polygon ");
    line.append(width_);
    // Where each corner's text starts in line and how long it is: Eagle sees
    // the printed numbers, so corners are told apart by those.
    std::size_t count = 0, firstAt = 0, firstLength = 0, lastAt = 0, lastLength = 0;
    const auto text = [&line](std::size_t at, std::size_t length) {
        return std::string_view(line).substr(at, length);
    };
    char number[kMaxNumberText];
    for (const Point p : corners) {
        const std::size_t at = line.size();
        line += " (";
        line.append(number, WriteNumberText(number, p.x));
        line += ' ';
        line.append(number, WriteNumberText(number, p.y));
        line += ')';
        const std::size_t length = line.size() - at;
        if (count > 0 && text(at, length) == text(lastAt, lastLength)) {
            line.resize(at);
            continue;
        }
        if (count == 0) {
            firstAt = at;
            firstLength = length;
        }
        lastAt = at;
        lastLength = length;
        ++count;
    }
    if (count > 1 && text(lastAt, lastLength) == text(firstAt, firstLength)) {
        line.resize(lastAt);
        --count;
    }
    if (count < 3) {
        ++tally_.polygonsTooSmall;
        return false;
    }
    // Eagle closes a polygon at its first corner given again.
    line.reserve(line.size() + firstLength + 1);
    line.append(line.data() + firstAt, firstLength);
    line += ';';
    if (!pourWritten_) {
        script_.WriteLine("Change Pour Solid;");
        pourWritten_ = true;
    }
    script_.WriteLine(line);
    ++tally_.polygons;
    return true;
}

AreaPolygons ScriptWriter::FilledArea(const std::vector<std::vector<Point>>& rings)
{
    AreaPolygons split = SplitFilledArea(rings);
    for (const auto& polygon : split.polygons)
        Polygon(polygon);
    return split;
}

void ScriptWriter::ClosedWires(std::span<const Point> ring)
{
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Point to = ring[(i + 1) % ring.size()];
        if (ring[i] != to)
            Wire(ring[i], to);
    }
}

} // namespace vektrano
