#include "script_writer.h"

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

} // namespace vektrano
