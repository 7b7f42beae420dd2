#include "converters.h"

#include "cp1252.h"
#include "number_rules.h"
#include "state/pausing_steps.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace vektrano {

namespace {

// The passes do not yield; a walk over this many lines or records of one table,
// a few milliseconds, ends with a pause so the window may repaint.
constexpr std::size_t kStepsPerPause = std::size_t{1} << 16;

std::optional<GroupCode> GroupCodeOf(std::string_view trimmed)
{
    if (trimmed.size() != 2)
        return std::nullopt;
    const char a = trimmed[0];
    const char b = trimmed[1];
    if (b == '0') {
        switch (a) {
        case '1': return GroupCode::C10;
        case '2': return GroupCode::C20;
        case '3': return GroupCode::C30;
        case '4': return GroupCode::C40;
        case '5': return GroupCode::C50;
        default: return std::nullopt;
        }
    }
    if (b == '1') {
        switch (a) {
        case '1': return GroupCode::C11;
        case '2': return GroupCode::C21;
        case '5': return GroupCode::C51;
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

// Degrees to radians with pi taken as 3.141592654 and the quotient formed first:
// scripts written by earlier versions must come out the same to the last digit.
constexpr double kRadiansPerDegree = 3.141592654 / 180;

const EntityRecord& RecordAt(const ConverterContext& context, std::size_t index)
{
    return context.state.Entities[index];
}

StopOr ReadNumberAt(ConverterContext& context, std::size_t position, double& number)
{
    ParsedValue& parsed = context.parsedValues[(position / 2) % context.parsedValues.size()];
    if (parsed.position == position) {
        number = parsed.value;
        return std::nullopt;
    }
    const LineTable& lines = context.state.Lines;
    const auto value = ReadDxfNumber(lines[position]);
    if (!value || !std::isfinite(*value))
        return InvalidNumberStop(lines, position);
    number = *value;
    parsed = {position, number};
    return std::nullopt;
}

// A coordinate is its value line plus the offset, stored as a number.
StopOr ReadCoordinate(ConverterContext& context, std::size_t valueLine, Axis axis, WorkSlot& slot)
{
    double offset = 0;
    if (auto stop = context.settings.Offset(axis, offset))
        return stop;
    double number = 0;
    if (auto stop = ReadNumberAt(context, valueLine, number))
        return stop;
    const double sum = number + offset;
    if (!std::isfinite(sum))
        return InvalidNumberStop(context.state.Lines, valueLine);
    slot.SetNumber(sum, valueLine);
    return std::nullopt;
}

StopOr ReadAngle(ConverterContext& context, std::size_t valueLine, WorkSlot& slot)
{
    double degrees = 0;
    if (auto stop = ReadNumberAt(context, valueLine, degrees))
        return stop;
    slot.SetNumber(degrees * kRadiansPerDegree, valueLine);
    return std::nullopt;
}

// A slot where arithmetic needs a number: no value counts as 0, a text is read
// as a DXF number (a radius as its line stood).
StopOr SlotNumber(const ConverterContext& context, const WorkSlot& slot, double& number)
{
    if (const auto* held = std::get_if<double>(&slot.value)) {
        number = *held;
        return std::nullopt;
    }
    if (const auto* text = std::get_if<std::string>(&slot.value)) {
        const auto value = ReadDxfNumber(*text);
        if (!value || !std::isfinite(*value))
            return InvalidSlotStop(context.state.Lines, slot);
        number = *value;
        return std::nullopt;
    }
    number = 0;
    return std::nullopt;
}

// A text slot where a coordinate is written is a radius carried over from a circle
// that only the measuring pass saw, or from an earlier run: nothing has read it as
// a number yet, and written verbatim it could put "inf" or a line break into the
// script.
StopOr CheckWritable(const ConverterContext& context, std::initializer_list<const WorkSlot*> slots)
{
    double unused = 0;
    for (const WorkSlot* slot : slots)
        if (slot->HoldsText())
            if (auto stop = SlotNumber(context, *slot, unused))
                return stop;
    return std::nullopt;
}

// Strictly smaller replaces; a text is never smaller, no value counts as 0.
void LowerMinimum(const WorkSlot& slot, double& minimum)
{
    double value = 0;
    if (const auto* held = std::get_if<double>(&slot.value))
        value = *held;
    else if (slot.HoldsText())
        return;
    if (value < minimum)
        minimum = value;
}

void LowerMinimum(double value, double& minimum)
{
    if (value < minimum)
        minimum = value;
}

void AppendSlot(ScriptFile& script, const WorkSlot& slot)
{
    if (const auto* held = std::get_if<double>(&slot.value))
        script.AppendNumber(*held);
    else if (slot.HoldsText())
        script.Append(NumberText(slot));
}

// A script line's command and width. The width is read before anything of the line
// is written, so a width that cannot be used leaves no piece of a line behind.
StopOr BeginLine(ConverterContext& context, std::string_view command)
{
    std::string_view width;
    if (auto stop = context.settings.Width(width))
        return stop;
    context.script.Append(command);
    context.script.Append(width);
    return std::nullopt;
}

// "(x y)" of two slots.
void AppendPoint(ScriptFile& script, const WorkSlot& x, const WorkSlot& y)
{
    script.Append(" (");
    AppendSlot(script, x);
    script.Append(" ");
    AppendSlot(script, y);
    script.Append(")");
}

void AppendPoint(ScriptFile& script, double x, double y)
{
    script.Append(" (");
    script.AppendNumber(x);
    script.Append(" ");
    script.AppendNumber(y);
    script.Append(")");
}

// A LINE and a polyline segment are written alike, from X1/Y1 to X2/Y2.
StopOr WriteStraightWire(ConverterContext& context)
{
    Variablen& v = context.state;
    if (auto stop = BeginLine(context, "Wire "))
        return stop;
    AppendPoint(context.script, v.X1, v.Y1);
    AppendPoint(context.script, v.X2, v.Y2);
    context.script.EndLine();
    return std::nullopt;
}

// onCode receives each code line of the record's range that the converter reacts
// to, in file order.
template <typename OnCode>
StopOr WalkRange(CodeLineCache& cache, const ConverterContext& context, const EntityRecord& record,
                 OnCode&& onCode)
{
    const auto [begin, end] =
        cache.Lines(context.state.Lines, record.StartLine + 1, record.EndLine, context.pause);
    // A hostile record may hold millions of code lines.
    PausingSteps steps(context.pause, kStepsPerPause);
    for (const CodeLine* line = begin; line != end; ++line) {
        if (auto stop = onCode(*line))
            return stop;
        steps.Step();
    }
    return std::nullopt;
}

} // namespace

std::pair<const CodeLine*, const CodeLine*> CodeLineCache::Lines(const LineTable& lines,
                                                                 std::uint64_t first,
                                                                 std::uint64_t last,
                                                                 const std::function<void()>& pause)
{
    if (first % 2 == 0)
        ++first;
    if (!(last == to_ && first >= from_ && first <= to_ + 1)) {
        codeLines_.clear();
        PausingSteps steps(pause, kStepsPerPause);
        for (std::uint64_t p = first; p <= last; p += 2) {
            if (const auto code = GroupCodeOf(TrimSpaces(lines[p])))
                codeLines_.push_back({p, *code});
            steps.Step();
        }
        from_ = first;
        to_ = last;
    }
    const auto begin = std::lower_bound(
        codeLines_.begin(), codeLines_.end(), first,
        [](const CodeLine& line, std::uint64_t position) { return line.position < position; });
    return {codeLines_.data() + (begin - codeLines_.begin()),
            codeLines_.data() + codeLines_.size()};
}

namespace {

Stop InvalidNumberText(std::size_t position, std::string_view text)
{
    return ErrorStop("Ungültige Zahl in Zeile " + std::to_string(position) + " der DXF Datei: \"" +
                     Cp1252ToUtf8(TrimSpaces(text)) + "\"");
}

} // namespace

Stop InvalidNumberStop(const LineTable& lines, std::size_t position)
{
    return InvalidNumberText(position, lines[position]);
}

Stop InvalidSlotStop(const LineTable& lines, const WorkSlot& slot)
{
    if (const auto* text = std::get_if<std::string>(&slot.value))
        return InvalidNumberText(slot.sourceLine, *text);
    if (slot.sourceLine <= lines.Top())
        return InvalidNumberStop(lines, slot.sourceLine);
    return InvalidNumberText(slot.sourceLine, NumberText(slot));
}

StopOr Convert_Line(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly)
{
    if (!context.settings.Enabled(EntityName::Line))
        return std::nullopt;
    Variablen& v = context.state;
    return WalkRange(context.entityCodes, context, RecordAt(context, EntityIndex),
                     [&](const CodeLine& line) -> StopOr {
                         const std::size_t value = line.position + 1;
                         switch (line.code) {
                         case GroupCode::C10: return ReadCoordinate(context, value, Axis::X, v.X1);
                         case GroupCode::C20: return ReadCoordinate(context, value, Axis::Y, v.Y1);
                         case GroupCode::C11: return ReadCoordinate(context, value, Axis::X, v.X2);
                         case GroupCode::C21: break;
                         default: return std::nullopt;
                         }
                         if (auto stop = ReadCoordinate(context, value, Axis::Y, v.Y2))
                             return stop;
                         if (OffsetOnly) {
                             LowerMinimum(v.X1, v.MinX);
                             LowerMinimum(v.Y1, v.MinY);
                             LowerMinimum(v.X2, v.MinX);
                             LowerMinimum(v.Y2, v.MinY);
                             return std::nullopt;
                         }
                         if (auto stop = CheckWritable(context, {&v.X1, &v.Y1, &v.X2, &v.Y2}))
                             return stop;
                         ++v.ConvLine;
                         return WriteStraightWire(context);
                     });
}

StopOr Convert_Circle(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly)
{
    if (!context.settings.Enabled(EntityName::Circle))
        return std::nullopt;
    Variablen& v = context.state;
    return WalkRange(context.entityCodes, context, RecordAt(context, EntityIndex),
                     [&](const CodeLine& line) -> StopOr {
                         const std::size_t value = line.position + 1;
                         switch (line.code) {
                         case GroupCode::C10: return ReadCoordinate(context, value, Axis::X, v.X1);
                         case GroupCode::C20: return ReadCoordinate(context, value, Axis::Y, v.Y1);
                         case GroupCode::C40: break;
                         default: return std::nullopt;
                         }
                         // The radius stays the value line's own text until a script line needs it.
                         v.X2.SetText(v.Lines[value], value);
                         if (OffsetOnly) {
                             LowerMinimum(v.X1, v.MinX);
                             LowerMinimum(v.Y1, v.MinY);
                             return std::nullopt;
                         }
                         double radius = 0;
                         if (auto stop = SlotNumber(context, v.X2, radius))
                             return stop;
                         double centreY = 0;
                         if (auto stop = SlotNumber(context, v.Y1, centreY))
                             return stop;
                         const double top = centreY + radius;
                         if (!std::isfinite(top))
                             return InvalidSlotStop(v.Lines, v.X2);
                         ++v.ConvCircle;
                         ScriptFile& script = context.script;
                         if (auto stop = BeginLine(context, "Circle "))
                             return stop;
                         AppendPoint(script, v.X1, v.Y1);
                         script.Append(" (");
                         AppendSlot(script, v.X1);
                         script.Append(" ");
                         script.AppendNumber(top);
                         script.Append(")");
                         script.EndLine();
                         return std::nullopt;
                     });
}

StopOr Convert_Arc(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly)
{
    if (!context.settings.Enabled(EntityName::Arc))
        return std::nullopt;
    Variablen& v = context.state;
    return WalkRange(context.entityCodes, context, RecordAt(context, EntityIndex),
                     [&](const CodeLine& line) -> StopOr {
                         const std::size_t value = line.position + 1;
                         switch (line.code) {
                         case GroupCode::C10: return ReadCoordinate(context, value, Axis::X, v.X1);
                         case GroupCode::C20: return ReadCoordinate(context, value, Axis::Y, v.Y1);
                         case GroupCode::C40:
                             v.X2.SetText(v.Lines[value], value);
                             return std::nullopt;
                         case GroupCode::C50: return ReadAngle(context, value, v.Y2);
                         case GroupCode::C51: break;
                         default: return std::nullopt;
                         }
                         if (auto stop = ReadAngle(context, value, v.W5))
                             return stop;
                         double radius = 0, centreX = 0, centreY = 0, start = 0;
                         for (auto [slot, out] :
                              {std::pair{&v.X2, &radius}, std::pair{&v.X1, &centreX},
                               std::pair{&v.Y1, &centreY}, std::pair{&v.Y2, &start}})
                             if (auto stop = SlotNumber(context, *slot, *out))
                                 return stop;
                         const double startX = centreX + radius * std::cos(start);
                         const double startY = centreY + radius * std::sin(start);
                         if (!std::isfinite(startX) || !std::isfinite(startY))
                             return InvalidSlotStop(v.Lines, v.X2);
                         if (OffsetOnly) {
                             LowerMinimum(startX, v.MinX);
                             LowerMinimum(startY, v.MinY);
                             return std::nullopt;
                         }
                         double end = 0;
                         if (auto stop = SlotNumber(context, v.W5, end))
                             return stop;
                         const double endX = centreX + radius * std::cos(end);
                         const double endY = centreY + radius * std::sin(end);
                         if (!std::isfinite(endX) || !std::isfinite(endY))
                             return InvalidSlotStop(v.Lines, v.X2);
                         ++v.ConvArc;
                         ScriptFile& script = context.script;
                         if (auto stop = BeginLine(context, "wire "))
                             return stop;
                         AppendPoint(script, startX, startY);
                         // The radius goes into the script as its value line wrote it.
                         script.Append(" @+");
                         script.Append(NumberText(v.X2));
                         AppendPoint(script, endX, endY);
                         script.EndLine();
                         return std::nullopt;
                     });
}

namespace {

const MonotoneTable& ChainRecords(ConverterContext& context)
{
    if (!context.chainRecords) {
        auto& records = context.chainRecords.emplace();
        const auto& entities = context.state.Entities;
        auto inChain = [](const EntityRecord& r) {
            return r.Name == EntityName::Vertex || r.Name == EntityName::Seqend;
        };
        // Both walks cover millions of records on a large drawing, tens of
        // milliseconds each.
        PausingSteps steps(context.pause, kStepsPerPause);
        std::size_t count = 0;
        for (std::size_t k = 0; k < entities.size(); ++k) {
            count += inChain(entities[k]) ? 1 : 0;
            steps.Step();
        }
        records.Reserve(count);
        for (std::size_t k = 0; k < entities.size(); ++k) {
            if (inChain(entities[k]))
                records.PushBack(k);
            steps.Step();
        }
    }
    return *context.chainRecords;
}

} // namespace

StopOr Convert_Polyline(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly)
{
    if (!context.settings.Enabled(EntityName::Polyline))
        return std::nullopt;
    Variablen& v = context.state;
    v.FirstVertex = false;
    // Only VERTEX and SEQEND records matter to the walk; jumping between them keeps
    // a run of polylines without SEQEND from walking the rest of the table each.
    const auto& chain = ChainRecords(context);
    // One polyline may hold a million vertices.
    PausingSteps steps(context.pause, kStepsPerPause);
    for (std::size_t k = chain.UpperBound(EntityIndex); k < chain.Size(); ++k) {
        const EntityRecord& record = RecordAt(context, chain[k]);
        if (record.Name == EntityName::Seqend)
            return std::nullopt;
        steps.Step();
        auto stop =
            WalkRange(context.vertexCodes, context, record, [&](const CodeLine& line) -> StopOr {
                const std::size_t value = line.position + 1;
                switch (line.code) {
                case GroupCode::C10:
                    v.X2 = v.X1;
                    return ReadCoordinate(context, value, Axis::X, v.X1);
                case GroupCode::C20:
                    v.Y2 = v.Y1;
                    return ReadCoordinate(context, value, Axis::Y, v.Y1);
                case GroupCode::C30: break;
                default: return std::nullopt;
                }
                if (OffsetOnly) {
                    LowerMinimum(v.X1, v.MinX);
                    LowerMinimum(v.Y1, v.MinY);
                    return std::nullopt;
                }
                if (!v.FirstVertex) {
                    v.FirstVertex = true;
                    ++v.ConvPolyline;
                    return std::nullopt;
                }
                if (auto stop = CheckWritable(context, {&v.X1, &v.Y1, &v.X2, &v.Y2}))
                    return stop;
                return WriteStraightWire(context);
            });
        if (stop)
            return stop;
    }
    // No SEQEND up to the table's end: what was written for the chain stays.
    return std::nullopt;
}

StopOr ConvertEntity(ConverterContext& context, std::size_t EntityIndex, bool OffsetOnly)
{
    switch (context.state.Entities[EntityIndex].Name) {
    case EntityName::Line: return Convert_Line(context, EntityIndex, OffsetOnly);
    case EntityName::Arc: return Convert_Arc(context, EntityIndex, OffsetOnly);
    case EntityName::Circle: return Convert_Circle(context, EntityIndex, OffsetOnly);
    case EntityName::Polyline: return Convert_Polyline(context, EntityIndex, OffsetOnly);
    default: return std::nullopt;
    }
}

} // namespace vektrano
