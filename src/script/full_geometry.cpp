#include "full_geometry.h"

#include "converters.h"
#include "geometry/conic_arc.h"
#include "geometry/flatten.h"
#include "geometry/nurbs.h"
#include "geometry/ocs.h"
#include "number_rules.h"
#include "state/pausing_steps.h"

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <unordered_set>

namespace vektrano {

namespace {

constexpr double kRadians = std::numbers::pi / 180;
// A bulge this small bends a segment by less than a millionth of a micrometre per
// millimetre of chord: written as an arc it would only carry rounding noise.
constexpr double kStraightBulge = 1e-9;
constexpr std::uint64_t kCap = std::uint64_t{1} << 62;
// The passes do not yield; they pause for the window to repaint after this many
// steps of work: an element, a vertex or a segment drawn, a record read.
constexpr std::uint64_t kStepsPerPause = 4096;

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a > kCap - b ? kCap : a + b;
}
std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b)
{
    if (a == 0 || b == 0)
        return 0;
    return a > kCap / b ? kCap : a * b;
}

// cos and sin of an angle in degrees, exact at the quarter turns drawings use most,
// so a block rotated by 90 degrees gives no rounding dust in the script.
Point Direction(double degrees)
{
    double d = std::fmod(degrees, 360.0);
    if (d < 0)
        d += 360;
    if (d == 0)
        return {1, 0};
    if (d == 90)
        return {0, 1};
    if (d == 180)
        return {-1, 0};
    if (d == 270)
        return {0, -1};
    return {std::cos(d * kRadians), std::sin(d * kRadians)};
}

Affine RotationDegrees(double degrees)
{
    const Point u = Direction(degrees);
    return {u.x, u.y, -u.y, u.x, 0, 0};
}

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }
bool Finite(const Affine& t)
{
    return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
           std::isfinite(t.e) && std::isfinite(t.f);
}

StopOr ReadNumber(const LineTable& lines, std::size_t position, double& number)
{
    const auto value = ReadDxfNumber(lines[position]);
    if (!value || !std::isfinite(*value))
        return InvalidNumberStop(lines, position);
    number = *value;
    return std::nullopt;
}

// The pairs of one record, from the pair after its name up to the next "0" code
// (or the record's end), as (code, value line). A code that is no integer ends
// the walk; the structure pass has already refused such files.
template <typename OnPair>
StopOr WalkPairs(const LineTable& lines, std::size_t from, std::size_t end, OnPair&& onPair,
                 std::size_t* stoppedAt = nullptr)
{
    const std::size_t top = lines.Top();
    std::size_t p = from;
    for (; p < end && p + 1 <= top; p += 2) {
        const auto code = ReadGroupCode(lines[p]);
        if (!code || *code == 0)
            break;
        if (auto stop = onPair(*code, p + 1))
            return stop;
    }
    if (stoppedAt)
        *stoppedAt = p;
    return std::nullopt;
}

enum class Plane { Up, Down, Tilted };

// The extrusion codes every planar entity shares.
struct Extrusion
{
    double x = 0, y = 0, z = 1;

    bool Take(int code, double value)
    {
        switch (code) {
        case 210: x = value; return true;
        case 220: y = value; return true;
        case 230: z = value; return true;
        default: return false;
        }
    }
    Plane PlaneOf() const
    {
        if (std::fabs(x) <= 1e-9 * std::fabs(z) && std::fabs(y) <= 1e-9 * std::fabs(z))
            return z < 0 ? Plane::Down : Plane::Up;
        return Plane::Tilted;
    }
    // The entity's own plane at the given elevation, seen from above. Straight up
    // and straight down stay exact: the identity and the mirror in x.
    Affine Plan(double elevation) const
    {
        switch (PlaneOf()) {
        case Plane::Up: return {};
        case Plane::Down: return Affine::Scaling(-1, 1);
        case Plane::Tilted: break;
        }
        return OcsToWorldPlan({x, y, z}, elevation);
    }
    Vector3 Direction3() const { return {x, y, z}; }
};

// A curve gives at most this many segments; beyond it its tolerance is loosened.
constexpr std::size_t kMaxCurveSegments = 100000;

std::string_view FaultText(NurbsFault fault)
{
    switch (fault) {
    case NurbsFault::DegreeOutOfRange: return "Grad nicht zwischen 1 und 10";
    case NurbsFault::TooFewControlPoints: return "zu wenige Kontrollpunkte";
    case NurbsFault::KnotCountWrong: return "falsche Anzahl Knoten";
    case NurbsFault::KnotsDecreasing: return "fallende Knoten";
    case NurbsFault::WeightNotPositive: return "Gewicht nicht positiv";
    case NurbsFault::WeightCountWrong: return "falsche Anzahl Gewichte";
    case NurbsFault::NotFinite: return "Zahl außerhalb des Bereichs";
    case NurbsFault::EmptyDomain: return "leerer Parameterbereich";
    case NurbsFault::None: break;
    }
    return {};
}

// The text and number codes most records share, and the numbers each one asks for.
struct NumberField
{
    int code;
    double* target;
};

struct CommonFields
{
    std::string_view name; // code 2
    std::string_view layer = "0";
    Extrusion extrusion;
    std::size_t blame = 0; // the value line of the first field asked for, to name in a stop
};

StopOr ReadFields(const LineTable& lines, const DxfEntity& entity,
                  std::initializer_list<NumberField> fields, CommonFields& common)
{
    common.blame = entity.begin + 1;
    return WalkPairs(lines, entity.begin + 2, entity.end,
                     [&](int code, std::size_t value) -> StopOr {
                         if (code == 2 || code == 8) {
                             (code == 2 ? common.name : common.layer) = TrimSpaces(lines[value]);
                             return std::nullopt;
                         }
                         double number = 0;
                         double* target = &number;
                         for (const NumberField& field : fields)
                             if (field.code == code) {
                                 target = field.target;
                                 if (&field == fields.begin())
                                     common.blame = value;
                             }
                         if (target == &number && code != 210 && code != 220 && code != 230)
                             return std::nullopt;
                         if (auto stop = ReadNumber(lines, value, *target))
                             return stop;
                         common.extrusion.Take(code, number);
                         return std::nullopt;
                     });
}

enum class Visibility { Shown, Off, Frozen };

constexpr std::string_view kKindNames[kDxfKinds] = {
    "LINE", "CIRCLE", "ARC", "POLYLINE", "LWPOLYLINE", "ELLIPSE", "SPLINE", "INSERT",
};

std::size_t Index(DxfKind kind) { return static_cast<std::size_t>(kind); }

struct Vertex
{
    Point p;
    double bulge = 0;
    std::size_t bulgeLine = 0;
};

class Expansion
{
public:
    Expansion(const LineTable& lines, const Drawing& drawing, const FullGeometrySettings& settings,
              const std::vector<FullGeometry::Insert>& inserts, bool drawPaperSpace,
              FullGeometryReport& report, FullGeometry::Output& output,
              const std::function<void()>& onPause)
        : steps_(onPause, kStepsPerPause)
        , lines_(lines)
        , drawing_(drawing)
        , settings_(settings)
        , inserts_(inserts)
        , drawPaperSpace_(drawPaperSpace)
        , report_(report)
        , output_(output)
    {}

    StopOr Run(const Affine& root, const std::function<void(double)>& onProgress);

private:
    struct Frame
    {
        std::size_t next = 0;
        std::size_t last = 0;
        Affine transform;
        Visibility zero = Visibility::Shown;
        // The array insert whose cells are being drawn, and the next cell.
        const FullGeometry::Insert* insert = nullptr;
        std::uint64_t cell = 0;
        std::size_t placedBy = 0; // the value line to name when a point of this frame overflows
        Visibility insertZero = Visibility::Shown;
    };

    // One step of work done: now and then the window may repaint. One top-level
    // INSERT or polyline may stand for millions of them.
    void Step() { steps_.Step(); }
    PausingSteps steps_;
    Visibility LayerVisibility(std::string_view layer, Visibility zero);
    void Skip(DxfKind kind, std::string_view reason);
    bool Boxed(DxfKind kind) const;
    StopOr Draw(const DxfEntity& entity, const Affine& transform, Visibility zero);
    StopOr DrawLine(const DxfEntity& entity, const Affine& transform, Visibility zero);
    StopOr DrawCircleOrArc(const DxfEntity& entity, const Affine& transform, Visibility zero);
    StopOr DrawPolyline(const DxfEntity& entity, const Affine& transform, Visibility zero);
    StopOr DrawEllipse(const DxfEntity& entity, const Affine& transform, Visibility zero);
    StopOr DrawSpline(const DxfEntity& entity, const Affine& transform, Visibility zero);
    // Flattens the arc (already in millimetres) into straight script lines.
    StopOr Flatten(const ConicArc& arc, std::size_t blame, bool reverse = false);
    StopOr EmitChain(std::size_t blame, bool reverse);
    StopOr Chain(DxfKind kind, const Affine& transform, bool closed, std::size_t blame);
    // A point beyond the range of a number inside a block comes from the scale of
    // the INSERT that placed the block there, not from the block's own value.
    StopOr NotFinite(std::size_t blame) const
    {
        return InvalidNumberStop(lines_, placedBy_ != 0 ? placedBy_ : blame);
    }

    const LineTable& lines_;
    const Drawing& drawing_;
    const FullGeometrySettings& settings_;
    const std::vector<FullGeometry::Insert>& inserts_;
    bool drawPaperSpace_;
    FullGeometryReport& report_;
    FullGeometry::Output& output_;
    std::vector<Frame> stack_;
    std::vector<Vertex> vertices_;
    std::string layerKey_;
    std::string reasonText_;
    std::size_t placedBy_ = 0;
    std::vector<Point> points_;
    std::vector<Point> fit_;
    Nurbs spline_;

public:
    // Script lines handed to the output so far in this pass.
    std::uint64_t linesWritten = 0;
};

Visibility Expansion::LayerVisibility(std::string_view layer, Visibility zero)
{
    if (layer == "0")
        return zero;
    if (drawing_.layers.empty())
        return Visibility::Shown;
    layerKey_ = LayerKey(layer);
    const auto found = drawing_.layers.find(layerKey_);
    if (found == drawing_.layers.end())
        return Visibility::Shown;
    return found->second.frozen ? Visibility::Frozen
           : found->second.off  ? Visibility::Off
                                : Visibility::Shown;
}

void Expansion::Skip(DxfKind kind, std::string_view reason)
{
    reasonText_ = kKindNames[Index(kind)];
    reasonText_ += " (";
    reasonText_ += reason;
    reasonText_ += ")";
    report_.skipped.Count(reasonText_);
}

bool Expansion::Boxed(DxfKind kind) const
{
    switch (kind) {
    case DxfKind::Line: return settings_.line;
    case DxfKind::Circle: return settings_.circle;
    case DxfKind::Arc: return settings_.arc;
    case DxfKind::Polyline:
    case DxfKind::LwPolyline:
    case DxfKind::Spline: return settings_.polyline;
    case DxfKind::Ellipse: return settings_.arc || settings_.circle;
    case DxfKind::Insert: return true;
    }
    return true;
}

StopOr Expansion::Run(const Affine& root, const std::function<void(double)>& onProgress)
{
    report_.kinds = {};
    report_.skipped.Clear();
    report_.badSplines.clear();
    report_.loosened = false;
    linesWritten = 0;
    std::size_t total = 0;
    for (const auto& [first, last] : drawing_.model)
        total += last - first;
    std::size_t done = 0;
    // Layer "0" itself may be off or frozen: its entities at the top follow its state.
    Visibility zero = Visibility::Shown;
    if (const auto found = drawing_.layers.find("0"); found != drawing_.layers.end())
        zero = found->second.frozen ? Visibility::Frozen
               : found->second.off  ? Visibility::Off
                                    : Visibility::Shown;

    const auto& entities = drawing_.entities;
    const auto& blocks = drawing_.blocks;
    for (const auto& [first, last] : drawing_.model) {
        stack_.clear();
        stack_.push_back(Frame{first, last, root, zero});
        while (!stack_.empty()) {
            Step();
            Frame& frame = stack_.back();
            if (frame.insert) {
                const FullGeometry::Insert& insert = *frame.insert;
                if (frame.cell < insert.columns * insert.rows) {
                    const double column = static_cast<double>(frame.cell % insert.columns);
                    const double row = static_cast<double>(frame.cell / insert.columns);
                    ++frame.cell;
                    const Affine cell =
                        frame.transform *
                        Affine::Translation(column * insert.columnStep + row * insert.rowStep) *
                        insert.place;
                    if (!Finite(cell))
                        return InvalidNumberStop(lines_, insert.blame);
                    const DxfBlock& block = blocks[insert.block];
                    const Visibility inherited = frame.insertZero;
                    stack_.push_back(Frame{block.first, block.last, cell, inherited});
                    stack_.back().placedBy = insert.blame;
                    continue;
                }
                frame.insert = nullptr;
            }
            if (frame.next == frame.last) {
                stack_.pop_back();
                continue;
            }
            const bool top = stack_.size() == 1;
            const DxfEntity& entity = entities[frame.next++];
            if (top) {
                if (onProgress)
                    onProgress(static_cast<double>(done) * 100 / static_cast<double>(total));
                ++done;
                if (entity.paperSpace != drawPaperSpace_) {
                    Skip(entity.kind, "Papierbereich");
                    continue;
                }
            }
            if (entity.kind != DxfKind::Insert) {
                placedBy_ = frame.placedBy;
                if (auto stop = Draw(entity, frame.transform, frame.zero))
                    return stop;
                // Curves are counted as one line before writing; what they come to
                // is only known here, and the limit holds for it too.
                if (linesWritten > kMaxScriptLines)
                    return ErrorStop("Mehr als 10000000 Skriptzeilen ab Zeile " +
                                     std::to_string(entity.begin + 1) + " der DXF Datei (" +
                                     std::string(kKindNames[Index(entity.kind)]) + "): Abbruch.");
                if (output_.Failed())
                    return std::nullopt;
                continue;
            }
            ++report_.kinds[Index(DxfKind::Insert)].met;
            const FullGeometry::Insert& insert = inserts_[entity.count];
            const Visibility visibility = LayerVisibility(insert.layer, frame.zero);
            if (visibility == Visibility::Frozen) {
                Skip(DxfKind::Insert, "Layer gefroren");
                continue;
            }
            if (insert.block == FullGeometry::kNoBlock || insert.cyclic)
                continue; // named once in the log already
            ++report_.kinds[Index(DxfKind::Insert)].drawn;
            frame.insert = &insert;
            frame.cell = 0;
            frame.insertZero = visibility;
        }
    }
    return std::nullopt;
}

StopOr Expansion::Draw(const DxfEntity& entity, const Affine& transform, Visibility zero)
{
    ++report_.kinds[Index(entity.kind)].met;
    if (!Boxed(entity.kind))
        return std::nullopt;
    switch (entity.kind) {
    case DxfKind::Line: return DrawLine(entity, transform, zero);
    case DxfKind::Circle:
    case DxfKind::Arc: return DrawCircleOrArc(entity, transform, zero);
    case DxfKind::Polyline:
    case DxfKind::LwPolyline: return DrawPolyline(entity, transform, zero);
    case DxfKind::Ellipse: return DrawEllipse(entity, transform, zero);
    case DxfKind::Spline: return DrawSpline(entity, transform, zero);
    case DxfKind::Insert: break;
    }
    return std::nullopt;
}

StopOr Expansion::DrawLine(const DxfEntity& entity, const Affine& transform, Visibility zero)
{
    Point from, to;
    CommonFields common;
    if (auto stop = ReadFields(lines_, entity,
                               {{10, &from.x}, {20, &from.y}, {11, &to.x}, {21, &to.y}}, common))
        return stop;
    const std::string_view layer = common.layer;
    const std::size_t blame = common.blame;
    if (LayerVisibility(layer, zero) != Visibility::Shown) {
        Skip(entity.kind, "Layer aus oder gefroren");
        return std::nullopt;
    }
    // A LINE's points are world coordinates whatever its extrusion.
    const Point a = transform.Apply(from);
    const Point b = transform.Apply(to);
    if (!Finite(a) || !Finite(b))
        return NotFinite(blame);
    output_.Segment(a, b);
    ++linesWritten;
    ++report_.kinds[Index(entity.kind)].drawn;
    return std::nullopt;
}

StopOr Expansion::DrawCircleOrArc(const DxfEntity& entity, const Affine& transform, Visibility zero)
{
    Point centre;
    double radius = 0, start = 0, end = 360, elevation = 0;
    CommonFields common;
    if (auto stop = ReadFields(lines_, entity,
                               {{10, &centre.x},
                                {20, &centre.y},
                                {30, &elevation},
                                {40, &radius},
                                {50, &start},
                                {51, &end}},
                               common))
        return stop;
    const std::string_view layer = common.layer;
    const Extrusion& extrusion = common.extrusion;
    const std::size_t blame = common.blame;
    if (LayerVisibility(layer, zero) != Visibility::Shown) {
        Skip(entity.kind, "Layer aus oder gefroren");
        return std::nullopt;
    }
    if (!(radius > 0)) {
        Skip(entity.kind, "Radius nicht positiv");
        return std::nullopt;
    }
    const Affine place = transform * extrusion.Plan(elevation);
    const double sweep = entity.kind == DxfKind::Arc ? ArcSweepDegrees(start, end) : 0;
    if (!place.IsSimilarity()) {
        // Scaled unevenly or seen obliquely: an ellipse, drawn as a chain.
        const double from = start * kRadians;
        const double turn = (sweep == 0 ? 360 : sweep) * kRadians;
        const ConicArc arc{centre, {radius, 0}, {0, radius}, from, from + turn};
        if (auto stop = Flatten(Transformed(place, arc), blame))
            return stop;
        ++report_.kinds[Index(entity.kind)].drawn;
        return std::nullopt;
    }
    if (sweep == 0) {
        const Point c = place.Apply(centre);
        const double r = radius * place.LengthScale();
        if (!Finite(c) || !std::isfinite(r) || !std::isfinite(c.y + r))
            return NotFinite(blame);
        output_.Circle(c, r);
        ++linesWritten;
    } else {
        const Point a = place.Apply(centre + radius * Direction(start));
        const Point b = place.Apply(centre + radius * Direction(end));
        if (!Finite(a) || !Finite(b))
            return NotFinite(blame);
        output_.Arc(a, b, place.Mirrors() ? -sweep : sweep, true);
        ++linesWritten;
    }
    ++report_.kinds[Index(entity.kind)].drawn;
    return std::nullopt;
}

StopOr Expansion::DrawPolyline(const DxfEntity& entity, const Affine& transform, Visibility zero)
{
    vertices_.clear();
    std::string_view layer = "0";
    Extrusion extrusion;
    int flags = 0;
    double elevation = 0;
    std::size_t blame = entity.begin + 1;
    auto readFlags = [&](std::size_t value, int& out) -> StopOr {
        double number = 0;
        if (auto stop = ReadNumber(lines_, value, number))
            return stop;
        out = std::fabs(number) < 1e9 ? static_cast<int>(number) : 0;
        return std::nullopt;
    };
    const bool lw = entity.kind == DxfKind::LwPolyline;
    std::size_t after = entity.end;
    if (auto stop = WalkPairs(
            lines_, entity.begin + 2, entity.end,
            [&](int code, std::size_t value) -> StopOr {
                if (code == 8) {
                    layer = TrimSpaces(lines_[value]);
                    return std::nullopt;
                }
                if (code == 70)
                    return readFlags(value, flags);
                double number = 0;
                switch (code) {
                case 210:
                case 220:
                case 230:
                    if (auto stop = ReadNumber(lines_, value, number))
                        return stop;
                    extrusion.Take(code, number);
                    return std::nullopt;
                default: break;
                }
                if (code == (lw ? 38 : 30))
                    return ReadNumber(lines_, value, elevation);
                if (!lw)
                    return std::nullopt;
                switch (code) {
                case 10:
                    Step();
                    vertices_.push_back({});
                    blame = value;
                    return ReadNumber(lines_, value, vertices_.back().p.x);
                case 20:
                case 42:
                    // A value before the first vertex belongs to no vertex.
                    if (vertices_.empty())
                        return std::nullopt;
                    if (code == 42)
                        vertices_.back().bulgeLine = value;
                    return ReadNumber(lines_, value,
                                      code == 20 ? vertices_.back().p.y : vertices_.back().bulge);
                default: return std::nullopt;
                }
            },
            &after))
        return stop;

    if (!lw) {
        // The VERTEX records up to the SEQEND; frame points of a spline-fit
        // polyline (vertex flag 16) are not on the curve a CAD program shows.
        std::size_t p = after;
        const std::size_t top = lines_.Top();
        while (p < entity.end && p + 1 <= top) {
            const std::string_view name = TrimSpaces(lines_[p + 1]);
            if (name != "VERTEX")
                break;
            Vertex vertex;
            int vertexFlags = 0;
            if (auto stop = WalkPairs(
                    lines_, p + 2, entity.end,
                    [&](int code, std::size_t value) -> StopOr {
                        switch (code) {
                        case 10: blame = value; return ReadNumber(lines_, value, vertex.p.x);
                        case 20: return ReadNumber(lines_, value, vertex.p.y);
                        case 42:
                            vertex.bulgeLine = value;
                            return ReadNumber(lines_, value, vertex.bulge);
                        case 70: return readFlags(value, vertexFlags);
                        default: return std::nullopt;
                        }
                    },
                    &p))
                return stop;
            if ((vertexFlags & 16) == 0)
                vertices_.push_back(vertex);
            Step();
        }
    }

    if (LayerVisibility(layer, zero) != Visibility::Shown) {
        Skip(entity.kind, "Layer aus oder gefroren");
        return std::nullopt;
    }
    if (!lw && (flags & (16 | 64)) != 0) {
        Skip(entity.kind, "Netz");
        return std::nullopt;
    }
    // A 3D polyline holds world coordinates; every other one lies in its own plane.
    Affine place = transform;
    if (lw || (flags & 8) == 0)
        place = transform * extrusion.Plan(elevation);
    return Chain(entity.kind, place, (flags & 1) != 0, blame);
}

StopOr Expansion::Chain(DxfKind kind, const Affine& place, bool closed, std::size_t blame)
{
    const std::size_t n = vertices_.size();
    const std::size_t segments = n < 2 ? 0 : closed ? n : n - 1;
    bool bent = false;
    for (std::size_t i = 0; i < segments; ++i)
        bent = bent || std::fabs(vertices_[i].bulge) >= kStraightBulge;
    const bool similar = !bent || place.IsSimilarity();
    const bool mirrors = place.Mirrors();
    bool wrote = false;
    for (std::size_t i = 0; i < segments; ++i) {
        Step();
        const Vertex& from = vertices_[i];
        const Vertex& to = vertices_[(i + 1) % n];
        if (from.p == to.p)
            continue; // draws nothing
        const Point a = place.Apply(from.p);
        const Point b = place.Apply(to.p);
        if (!Finite(a) || !Finite(b))
            return NotFinite(blame);
        if (std::fabs(from.bulge) < kStraightBulge) {
            output_.Segment(a, b);
            ++linesWritten;
        } else {
            const double sweep = BulgeSweepDegrees(from.bulge);
            // Only a bulge beyond any drawing's precision rounds to a whole turn.
            if (!(std::fabs(sweep) < 360))
                return NotFinite(from.bulgeLine);
            if (similar) {
                output_.Arc(a, b, mirrors ? -sweep : sweep, false);
                ++linesWritten;
            } else {
                // An elliptical arc now: walk it counter-clockwise in the polyline's
                // plane, from whichever end that starts at, and flatten its image.
                const CircleShape circle = ArcThrough(from.p, to.p, sweep);
                const Point first = sweep > 0 ? from.p : to.p;
                const double t0 = std::atan2(first.y - circle.centre.y, first.x - circle.centre.x);
                const ConicArc arc{circle.centre,
                                   {circle.radius, 0},
                                   {0, circle.radius},
                                   t0,
                                   t0 + std::fabs(sweep) * kRadians};
                if (auto stop = Flatten(Transformed(place, arc), blame, sweep < 0))
                    return stop;
            }
        }
        wrote = true;
    }
    if (wrote)
        ++report_.kinds[Index(kind)].drawn;
    return std::nullopt;
}

StopOr Expansion::Flatten(const ConicArc& arc, std::size_t blame, bool reverse)
{
    points_.clear();
    const FlattenResult result =
        FlattenConicArc(arc, settings_.tolerance, kMaxCurveSegments, points_);
    report_.loosened = report_.loosened || result.loosened;
    return EmitChain(blame, reverse);
}

StopOr Expansion::EmitChain(std::size_t blame, bool reverse)
{
    if (points_.size() < 2)
        return NotFinite(blame); // the flatteners refuse only values beyond any drawing
    if (reverse)
        std::reverse(points_.begin(), points_.end());
    for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
        if (!Finite(points_[i]) || !Finite(points_[i + 1]))
            return NotFinite(blame);
        Step();
        if (points_[i] == points_[i + 1])
            continue;
        output_.Segment(points_[i], points_[i + 1]);
        ++linesWritten;
    }
    return std::nullopt;
}

StopOr Expansion::DrawEllipse(const DxfEntity& entity, const Affine& transform, Visibility zero)
{
    Vector3 centre, major;
    double ratio = 1, start = 0, end = 2 * std::numbers::pi;
    CommonFields common;
    if (auto stop = ReadFields(lines_, entity,
                               {{10, &centre.x},
                                {20, &centre.y},
                                {30, &centre.z},
                                {11, &major.x},
                                {21, &major.y},
                                {31, &major.z},
                                {40, &ratio},
                                {41, &start},
                                {42, &end}},
                               common))
        return stop;
    if (LayerVisibility(common.layer, zero) != Visibility::Shown) {
        Skip(entity.kind, "Layer aus oder gefroren");
        return std::nullopt;
    }
    if (!(ratio > 0 && ratio <= 1)) {
        Skip(entity.kind, "Achsenverhältnis nicht in (0, 1]");
        return std::nullopt;
    }
    const ConicArc arc = Transformed(
        transform, EllipseArc(centre, major, ratio, start, end, common.extrusion.Direction3()));
    const bool full = arc.t1 - arc.t0 >= 2 * std::numbers::pi - 1e-9;
    // A full ellipse counts under CIRCLE, an elliptical arc under ARC.
    if (!(full ? settings_.circle : settings_.arc))
        return std::nullopt;
    if (const auto circle = AsCircular(arc)) {
        if (!Finite(circle->center) || !std::isfinite(circle->center.y + circle->radius) ||
            !Finite(circle->start) || !Finite(circle->end))
            return NotFinite(common.blame);
        if (circle->full)
            output_.Circle(circle->center, circle->radius);
        else
            output_.Arc(circle->start, circle->end, circle->sweepDegrees, true);
        ++linesWritten;
    } else if (auto stop = Flatten(arc, common.blame)) {
        return stop;
    }
    ++report_.kinds[Index(entity.kind)].drawn;
    return std::nullopt;
}

StopOr Expansion::DrawSpline(const DxfEntity& entity, const Affine& transform, Visibility zero)
{
    Nurbs& spline = spline_;
    spline.knots.clear();
    spline.control.clear();
    spline.weights.clear();
    fit_.clear();
    double degree = 3, flags = 0;
    Point startTangent, endTangent;
    bool hasStart = false, hasEnd = false;
    std::string_view layer = "0";
    const std::size_t line = entity.begin + 1;
    if (auto stop = WalkPairs(lines_, entity.begin + 2, entity.end,
                              [&](int code, std::size_t value) -> StopOr {
                                  if (code == 8) {
                                      layer = TrimSpaces(lines_[value]);
                                      return std::nullopt;
                                  }
                                  switch (code) {
                                  case 70:
                                  case 71:
                                  case 40:
                                  case 41:
                                  case 10:
                                  case 20:
                                  case 11:
                                  case 21:
                                  case 12:
                                  case 22:
                                  case 13:
                                  case 23: break;
                                  default: return std::nullopt;
                                  }
                                  double number = 0;
                                  if (auto stop = ReadNumber(lines_, value, number))
                                      return stop;
                                  switch (code) {
                                  case 70: flags = number; break;
                                  case 71: degree = number; break;
                                  case 40: spline.knots.push_back(number); break;
                                  case 41: spline.weights.push_back(number); break;
                                  case 10: spline.control.push_back({number, 0}); break;
                                  case 20:
                                      if (!spline.control.empty())
                                          spline.control.back().y = number;
                                      break;
                                  case 11: fit_.push_back({number, 0}); break;
                                  case 21:
                                      if (!fit_.empty())
                                          fit_.back().y = number;
                                      break;
                                  case 12:
                                      startTangent.x = number;
                                      hasStart = true;
                                      break;
                                  case 22: startTangent.y = number; break;
                                  case 13:
                                      endTangent.x = number;
                                      hasEnd = true;
                                      break;
                                  case 23: endTangent.y = number; break;
                                  default: break;
                                  }
                                  return std::nullopt;
                              }))
        return stop;
    if (LayerVisibility(layer, zero) != Visibility::Shown) {
        Skip(entity.kind, "Layer aus oder gefroren");
        return std::nullopt;
    }
    // Control points, fit points and tangents are world coordinates; a NURBS curve
    // follows any affine map of its control points exactly.
    if (spline.control.empty() && fit_.size() >= 2) {
        for (Point& p : fit_)
            p = transform.Apply(p);
        const auto tangent = [&transform](bool given, Point t) -> std::optional<Point> {
            if (!given)
                return std::nullopt;
            return transform.ApplyToVector(t);
        };
        spline =
            InterpolateCubic(fit_, tangent(hasStart, startTangent), tangent(hasEnd, endTangent));
    } else {
        spline.degree = std::fabs(degree) < 1e6 ? static_cast<int>(degree) : 0;
        const int bits = std::fabs(flags) < 1e9 ? static_cast<int>(flags) : 0;
        spline.closed = (bits & 1) != 0;
        spline.periodic = (bits & 2) != 0;
        spline.rational = (bits & 4) != 0;
        for (Point& p : spline.control)
            p = transform.Apply(p);
    }
    if (const NurbsFault fault = Validate(spline); fault != NurbsFault::None) {
        reasonText_ = "SPLINE in Zeile ";
        reasonText_ += std::to_string(line);
        reasonText_ += " nicht gezeichnet: ";
        reasonText_ += FaultText(fault);
        report_.badSplines.push_back(reasonText_);
        return std::nullopt;
    }
    points_.clear();
    const FlattenResult result =
        FlattenNurbs(spline, settings_.tolerance, kMaxCurveSegments, points_);
    report_.loosened = report_.loosened || result.loosened;
    if (auto stop = EmitChain(line, false))
        return stop;
    ++report_.kinds[Index(entity.kind)].drawn;
    return std::nullopt;
}

class ScriptOutput final : public FullGeometry::Output
{
public:
    ScriptOutput(ScriptFile& script, std::string_view width)
        : script_(script)
        , width_(width)
    {}

    void Segment(Point from, Point to) override
    {
        script_.Append("Wire ");
        script_.Append(width_);
        AppendPoint(from);
        AppendPoint(to);
        script_.EndLine();
    }
    void Arc(Point from, Point to, double sweep, bool lowerCase) override
    {
        script_.Append(lowerCase ? "wire " : "Wire ");
        script_.Append(width_);
        AppendPoint(from);
        script_.Append(sweep > 0 ? " +" : " ");
        script_.AppendNumber(sweep);
        AppendPoint(to);
        script_.EndLine();
    }
    void Circle(Point centre, double radius) override
    {
        script_.Append("Circle ");
        script_.Append(width_);
        AppendPoint(centre);
        AppendPoint({centre.x, centre.y + radius});
        script_.EndLine();
    }
    bool Failed() const override { return script_.Failed(); }

private:
    void AppendPoint(Point p)
    {
        script_.Append(" (");
        script_.AppendNumber(p.x);
        script_.Append(" ");
        script_.AppendNumber(p.y);
        script_.Append(")");
    }

    ScriptFile& script_;
    std::string_view width_;
};

class ExtentOutput final : public FullGeometry::Output
{
public:
    explicit ExtentOutput(Box& box)
        : box_(box)
    {}
    void Segment(Point from, Point to) override
    {
        box_.Add(from);
        box_.Add(to);
    }
    void Arc(Point from, Point to, double sweep, bool) override
    {
        AddArcExtent(box_, from, to, sweep);
    }
    void Circle(Point centre, double radius) override
    {
        box_.Add({centre.x - radius, centre.y - radius});
        box_.Add({centre.x + radius, centre.y + radius});
    }

private:
    Box& box_;
};

} // namespace

StopOr FullGeometry::Prepare()
{
    report_ = {};
    PausingSteps steps(onPause, kStepsPerPause);
    if (settings_.unit) {
        report_.unit = *settings_.unit;
        report_.unitNamed = report_.unitGiven = true;
    } else if (drawing_.insunits != 0) {
        double code = 0;
        if (auto stop = ReadNumber(lines_, drawing_.insunits, code))
            return stop;
        if (code == std::floor(code) && std::fabs(code) < 1e9)
            if (const auto unit = UnitOfInsunits(static_cast<long long>(code))) {
                report_.unit = *unit;
                report_.unitNamed = true;
            }
    }
    if (!report_.unitNamed)
        report_.unit = *UnitOfInsunits(4);
    millimetres_ = report_.unit.millimetres;

    bases_.assign(drawing_.blocks.size(), Point{});
    for (std::size_t i = 0; i < drawing_.blocks.size(); ++i) {
        steps.Step();
        const DxfBlock& block = drawing_.blocks[i];
        if (block.baseX != 0)
            if (auto stop = ReadNumber(lines_, block.baseX, bases_[i].x))
                return stop;
        if (block.baseY != 0)
            if (auto stop = ReadNumber(lines_, block.baseY, bases_[i].y))
                return stop;
    }

    inserts_.clear();
    for (DxfEntity& entity : drawing_.entities) {
        steps.Step();
        if (entity.kind != DxfKind::Insert)
            continue;
        Insert insert;
        insert.line = entity.begin + 1;
        Point at;
        double atZ = 0;
        double scaleX = 1, scaleY = 1, rotation = 0, columns = 1, rows = 1;
        double columnSpacing = 0, rowSpacing = 0;
        CommonFields common;
        if (auto stop = ReadFields(lines_, entity,
                                   {{41, &scaleX},
                                    {42, &scaleY},
                                    {10, &at.x},
                                    {20, &at.y},
                                    {30, &atZ},
                                    {50, &rotation},
                                    {70, &columns},
                                    {71, &rows},
                                    {44, &columnSpacing},
                                    {45, &rowSpacing}},
                                   common))
            return stop;
        const std::string_view name = common.name;
        insert.layer = common.layer;
        const Extrusion& extrusion = common.extrusion;
        const std::size_t blame = common.blame;
        auto count = [](double value) -> std::uint64_t {
            if (!(value >= 1))
                return 1;
            return value >= static_cast<double>(kCap) ? kCap : static_cast<std::uint64_t>(value);
        };
        insert.columns = count(columns);
        insert.rows = count(rows);
        // A MINSERT's array needs columns × rows below the cap to be counted.
        if (SaturatingMultiply(insert.columns, insert.rows) >= kCap)
            insert.rows = kCap / insert.columns;
        const Affine mirror = extrusion.Plan(atZ);
        const Affine rotate = RotationDegrees(rotation);
        if (const auto found = drawing_.blockIndex.find(name); found != drawing_.blockIndex.end()) {
            if (!drawing_.blocks[found->second].layout)
                insert.block = found->second;
        } else {
            report_.missingBlocks.Count(name);
        }
        const Point base = insert.block == kNoBlock ? Point{} : bases_[insert.block];
        insert.place = mirror * Affine::Translation(at) * rotate * Affine::Scaling(scaleX, scaleY) *
                       Affine::Translation(-1 * base);
        insert.columnStep = mirror.ApplyToVector(rotate.ApplyToVector({columnSpacing, 0}));
        insert.rowStep = mirror.ApplyToVector(rotate.ApplyToVector({0, rowSpacing}));
        if (!Finite(insert.place) || !Finite(insert.columnStep) || !Finite(insert.rowStep))
            return InvalidNumberStop(lines_, blame);
        insert.blame = blame;
        entity.count = static_cast<std::uint32_t>(inserts_.size());
        inserts_.push_back(insert);
    }

    std::size_t modelCount = 0, paperCount = 0;
    for (const auto& [first, last] : drawing_.model)
        for (std::size_t i = first; i < last; ++i) {
            steps.Step();
            ++(drawing_.entities[i].paperSpace ? paperCount : modelCount);
        }
    drawPaperSpace_ = modelCount == 0 && paperCount > 0;
    report_.paperSpace = drawPaperSpace_;

    // Script lines and insertions of each block, each block counted once; an INSERT
    // that would reach a block already being counted closes a chain and is cut.
    const auto& entities = drawing_.entities;
    auto linesOf = [this](const DxfEntity& entity) -> std::uint64_t {
        switch (entity.kind) {
        case DxfKind::Line: return settings_.line ? 1 : 0;
        case DxfKind::Circle: return settings_.circle ? 1 : 0;
        case DxfKind::Arc: return settings_.arc ? 1 : 0;
        case DxfKind::Polyline:
        case DxfKind::LwPolyline: return settings_.polyline ? entity.count : 0;
        case DxfKind::Ellipse: return settings_.arc || settings_.circle ? 1 : 0;
        case DxfKind::Spline: return settings_.polyline ? 1 : 0;
        default: return 0;
        }
    };
    struct Tally
    {
        std::uint64_t lines = 0;
        std::uint64_t insertions = 0;
    };
    enum class State : std::uint8_t { New, Counting, Counted };
    std::vector<State> state(drawing_.blocks.size(), State::New);
    std::vector<Tally> tally(drawing_.blocks.size());
    struct CountFrame
    {
        std::size_t block;
        std::size_t next;
        Tally sum;
        std::uint64_t cells;
    };
    std::vector<CountFrame> stack;
    std::unordered_set<std::string_view> cyclicNames;
    auto addInsert = [&](Tally& sum, const Insert& insert, const Tally& inner) {
        const std::uint64_t cells = insert.columns * insert.rows;
        sum.insertions = SaturatingAdd(sum.insertions, cells);
        sum.insertions = SaturatingAdd(sum.insertions, SaturatingMultiply(cells, inner.insertions));
        sum.lines = SaturatingAdd(sum.lines, SaturatingMultiply(cells, inner.lines));
    };
    auto count = [&](std::size_t root) {
        stack.push_back({root, drawing_.blocks[root].first, {}, 0});
        state[root] = State::Counting;
        while (!stack.empty()) {
            steps.Step();
            const std::size_t top = stack.size() - 1;
            if (stack[top].next == drawing_.blocks[stack[top].block].last) {
                tally[stack[top].block] = stack[top].sum;
                state[stack[top].block] = State::Counted;
                stack.pop_back();
                if (!stack.empty()) {
                    CountFrame& parent = stack.back();
                    addInsert(parent.sum, inserts_[entities[parent.next - 1].count],
                              tally[stack[top].block]);
                }
                continue;
            }
            const DxfEntity& entity = entities[stack[top].next++];
            if (entity.kind != DxfKind::Insert) {
                stack[top].sum.lines = SaturatingAdd(stack[top].sum.lines, linesOf(entity));
                continue;
            }
            Insert& insert = inserts_[entity.count];
            if (insert.block == kNoBlock)
                continue;
            switch (state[insert.block]) {
            case State::Counted: addInsert(stack[top].sum, insert, tally[insert.block]); break;
            case State::Counting:
                insert.cyclic = true;
                if (cyclicNames.insert(drawing_.blocks[insert.block].name).second)
                    report_.cyclicBlocks.push_back(drawing_.blocks[insert.block].name);
                break;
            case State::New:
                state[insert.block] = State::Counting;
                stack.push_back({insert.block, drawing_.blocks[insert.block].first, {}, 0});
                break;
            }
        }
    };
    Tally total;
    for (const auto& [first, last] : drawing_.model)
        for (std::size_t i = first; i < last; ++i) {
            steps.Step();
            const DxfEntity& entity = entities[i];
            if (entity.paperSpace != drawPaperSpace_)
                continue;
            if (entity.kind != DxfKind::Insert) {
                total.lines = SaturatingAdd(total.lines, linesOf(entity));
            } else if (const Insert& insert = inserts_[entity.count]; insert.block != kNoBlock) {
                if (state[insert.block] == State::New)
                    count(insert.block);
                addInsert(total, insert, tally[insert.block]);
            }
            if (total.lines > kMaxScriptLines || total.insertions > kMaxScriptLines) {
                const bool lines = total.lines > kMaxScriptLines;
                return ErrorStop(std::string(lines ? "Mehr als 10000000 Skriptzeilen"
                                                   : "Mehr als 10000000 Blockeinfügungen") +
                                 " ab Zeile " + std::to_string(entity.begin + 1) +
                                 " der DXF Datei (" + std::string(kKindNames[Index(entity.kind)]) +
                                 "): nichts geschrieben.");
            }
        }
    return std::nullopt;
}

StopOr FullGeometry::Expand(Output& output, Point offset)
{
    Expansion expansion(lines_, drawing_, settings_, inserts_, drawPaperSpace_, report_, output,
                        onPause);
    const Affine root = Affine::Translation(offset) * Affine::Scaling(millimetres_, millimetres_);
    return expansion.Run(root, onProgress);
}

StopOr FullGeometry::Measure(Box& extent)
{
    ExtentOutput output(extent);
    return Expand(output, {});
}

StopOr FullGeometry::Write(ScriptFile& script, Point offset)
{
    ScriptOutput output(script, settings_.widthBytes);
    return Expand(output, offset);
}

} // namespace vektrano
