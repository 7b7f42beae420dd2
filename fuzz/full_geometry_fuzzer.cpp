// Full geometry's reader and expansion on their own, without the run or a
// script: the structure pass, the record decoders, the plan and both walks into
// a sink that checks every primitive. The input is a flags byte, then the DXF.
//
// Flags: bits 0-3 leave out LINE, ARC, CIRCLE and the polylines (as the window's
// check boxes do); bit 4 cuts the lines at "\n" instead of "\r\n"; bits 5 and 6
// leave out texts and filled areas, which are drawn otherwise.

#include "dxf/drawing.h"
#include "expand/expansion.h"
#include "geometry/area_polygons.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace vektrano;

void Expect(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Counts what it is handed and checks each primitive on the way.
class CheckingSink final : public PrimitiveSink
{
public:
    explicit CheckingSink(std::size_t top)
        : top_(top)
    {}

    void Segment(const PrimitiveSource& source, Point from, Point to) override
    {
        Check(source);
        Expect(Finite(from) && Finite(to), "segment not finite");
        ++lines;
    }
    void Arc(const PrimitiveSource& source, Point from, Point to, double sweep) override
    {
        Check(source);
        Expect(Finite(from) && Finite(to), "arc end not finite");
        Expect(std::isfinite(sweep) && sweep != 0 && std::fabs(sweep) <= 360, "arc sweep");
        ++lines;
    }
    void Circle(const PrimitiveSource& source, Point centre, double radius) override
    {
        Check(source);
        Expect(Finite(centre), "circle centre not finite");
        Expect(std::isfinite(radius) && radius > 0, "circle radius");
        Expect(std::isfinite(centre.y + radius), "circle top not finite");
        ++lines;
    }
    void Chain(const PrimitiveSource& source, std::span<const Point> points) override
    {
        Check(source);
        Expect(points.size() >= 2, "chain of fewer than two points");
        for (std::size_t i = 0; i < points.size(); ++i) {
            Expect(Finite(points[i]), "chain point not finite");
            if (i > 0 && points[i] != points[i - 1])
                ++lines;
        }
    }

    void Text(const PrimitiveSource& source, const PlacedText& text) override
    {
        Check(source);
        Expect(IsTextOrAreaKind(source.kind), "a text of another kind");
        Expect(!text.lines.empty(), "a text without lines");
        Expect(std::isfinite(text.height) && text.height > 0, "text height");
        Expect(std::isfinite(text.angle) && std::isfinite(text.lineSpacing), "text frame");
        for (std::size_t i = 0; i < text.lines.size(); ++i) {
            Expect(Finite(LineAnchor(text, i)), "text anchor not finite");
            Expect(text.lines[i].find_first_of("\r\n") == std::string::npos, "line break");
        }
        ++texts;
    }
    void Area(const PrimitiveSource& source, const PlacedArea& area) override
    {
        Check(source);
        Expect(IsTextOrAreaKind(source.kind), "an area of another kind");
        std::size_t corners = 0;
        for (const auto& ring : area.rings)
            for (Point p : ring) {
                Expect(Finite(p), "area corner not finite");
                ++corners;
            }
        ++areas;
        // The split is the writer's, but its promise is checked here on every
        // area small enough to keep the fuzzer fast.
        if (!area.solid || corners > 2000)
            return;
        AreaPolygonOptions options;
        options.workLimit = 1'000'000;
        for (const auto& polygon : SplitFilledArea(area.rings, options).polygons) {
            Expect(polygon.size() >= 3, "a polygon of fewer than three corners");
            for (Point p : polygon)
                Expect(Finite(p), "polygon corner not finite");
        }
    }

    std::uint64_t lines = 0;
    std::uint64_t texts = 0;
    std::uint64_t areas = 0;

private:
    void Check(const PrimitiveSource& source) const
    {
        // The entity's name line follows its "0" code line, which stands at an odd position.
        Expect(source.line >= 2 && source.line % 2 == 0 && source.line <= top_, "source line");
        Expect(source.kind != DxfKind::Insert, "an INSERT drawn as a primitive");
    }

    std::size_t top_;
};

void CheckStructure(const Drawing& drawing, std::size_t top)
{
    std::uint32_t inserts = 0;
    for (const DxfEntity& entity : drawing.entities) {
        Expect(entity.begin % 2 == 1 && entity.begin < entity.end && entity.end <= top + 2,
               "entity range");
        if (entity.kind == DxfKind::Insert)
            Expect(entity.insert == inserts++, "INSERTs not numbered in order");
    }
    Expect(inserts == drawing.insertCount, "INSERT count");
    for (const DxfBlock& block : drawing.blocks)
        Expect(block.first <= block.last && block.last <= drawing.entities.size(), "block range");
    for (const auto& [first, last] : drawing.model)
        Expect(first <= last && last <= drawing.entities.size(), "model range");
}

void CheckStop(const ExpandStop& stop, std::size_t top)
{
    Expect(stop.line >= 1 && stop.line <= top, "stop names a line outside the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    LineTable lines;
    lines.Cut(text, (flags & 16) != 0 ? "\n" : "\r\n");
    lines.Shift();
    const std::size_t top = lines.Top();

    Drawing drawing;
    if (const auto badCode = ReadDrawing(lines, drawing)) {
        Expect(*badCode >= 1 && *badCode <= top, "bad code outside the file");
        return 0;
    }
    CheckStructure(drawing, top);

    ExpandSettings settings;
    settings.line = (flags & 1) == 0;
    settings.arc = (flags & 2) == 0;
    settings.circle = (flags & 4) == 0;
    settings.polyline = (flags & 8) == 0;
    settings.texts = (flags & 32) == 0;
    settings.areas = (flags & 64) == 0;
    ExpansionPlan plan;
    if (const auto stop = PlanExpansion(lines, drawing, settings, plan)) {
        CheckStop(*stop, top);
        return 0;
    }
    Expect(plan.inserts.size() == drawing.insertCount, "INSERT table beside the drawing");

    // The measuring walk and the writing walk see the same drawing and must meet
    // and draw exactly the same: nothing of the first may linger in the second.
    ExpansionReport first, second;
    CheckingSink measured(top), written(top);
    const auto one = Expand(lines, drawing, settings, plan, {}, measured, first);
    const auto two = Expand(lines, drawing, settings, plan, {}, written, second);
    Expect(one.has_value() == two.has_value(), "walks disagree on stopping");
    if (one) {
        CheckStop(*one, top);
        return 0;
    }
    Expect(measured.lines == written.lines, "walks disagree on lines");
    Expect(measured.texts == written.texts && measured.areas == written.areas,
           "walks disagree on texts or areas");
    Expect(measured.lines <= kMaxScriptLines, "more lines than the limit");
    for (std::size_t i = 0; i < kDxfKinds; ++i) {
        Expect(first.kinds[i].met == second.kinds[i].met, "walks disagree on kinds met");
        Expect(first.kinds[i].drawn == second.kinds[i].drawn, "walks disagree on kinds drawn");
        Expect(first.kinds[i].drawn <= first.kinds[i].met, "drew more than met");
    }
    return 0;
}
