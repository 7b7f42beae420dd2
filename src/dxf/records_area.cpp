#include "records_area.h"

#include "record_pairs.h"

#include <initializer_list>

namespace vektrano {

namespace {

bool OneOf(std::optional<int> code, std::initializer_list<int> codes)
{
    if (!code)
        return false;
    for (int c : codes)
        if (*code == c)
            return true;
    return false;
}

// The pairs of one record read in order, with a look at the pair to come: a
// boundary path's meaning depends on the codes that follow each other.
class PairCursor
{
public:
    PairCursor(const LineTable& lines, std::size_t from, std::size_t end)
        : lines_(lines)
        , p_(from)
        , end_(end)
        , top_(lines.Top())
    {}

    // The current code; nullopt at the record's end.
    std::optional<int> Code() const { return CodeAt(p_); }
    std::optional<int> CodeAfter() const { return CodeAt(p_ + 2); }
    std::size_t Value() const { return p_ + 1; }
    void Next() { p_ += 2; }

private:
    std::optional<int> CodeAt(std::size_t p) const
    {
        if (p >= end_ || p + 1 > top_)
            return std::nullopt;
        const auto code = ReadGroupCode(lines_[p]);
        if (!code || *code == 0)
            return std::nullopt;
        return code;
    }

    const LineTable& lines_;
    std::size_t p_;
    std::size_t end_;
    std::size_t top_;
};

class HatchReader
{
public:
    HatchReader(const LineTable& lines, const DxfEntity& entity, HatchRecord& record)
        : lines_(lines)
        , cursor_(lines, entity.begin + 2, entity.end)
        , record_(record)
        , lastLine_(entity.begin + 1)
    {}

    BadLine Read();

private:
    BadLine Number(double& number)
    {
        lastLine_ = cursor_.Value();
        return ReadFiniteNumber(lines_, cursor_.Value(), number);
    }
    BadLine Flags(int& flags)
    {
        lastLine_ = cursor_.Value();
        return ReadFlags(lines_, cursor_.Value(), flags);
    }
    // A count read as a number; a negative or absurd one can match no list.
    BadLine Count(std::size_t& count)
    {
        double number = 0;
        if (auto bad = Number(number))
            return bad;
        count = number >= 0 && number < 1e15 ? static_cast<std::size_t>(number) : SIZE_MAX;
        return std::nullopt;
    }
    void Fault(AreaFault fault)
    {
        record_.fault = fault;
        record_.faultLine = cursor_.Code() ? cursor_.Value() : lastLine_;
    }
    bool Broken() const { return record_.fault != AreaFault::None; }

    BadLine ReadPaths(std::size_t count);
    BadLine ReadPolylinePath(HatchPath& path);
    BadLine ReadEdgePath(HatchPath& path);
    BadLine ReadEdge(HatchEdge& edge);
    BadLine ReadSplineEdge(HatchEdge& edge);

    const LineTable& lines_;
    PairCursor cursor_;
    HatchRecord& record_;
    std::size_t lastLine_;
};

BadLine HatchReader::Read()
{
    HatchRecord& r = record_;
    while (const auto code = cursor_.Code()) {
        const std::size_t value = cursor_.Value();
        BadLine bad;
        switch (*code) {
        case 8: r.common.layer = TrimSpaces(lines_[value]); break;
        case 30: bad = Number(r.elevation); break;
        case 70: {
            int flags = 0;
            bad = Flags(flags);
            r.solid = (flags & 1) != 0;
            break;
        }
        case 91: {
            std::size_t count = 0;
            if (auto fault = Count(count))
                return fault;
            cursor_.Next();
            // Everything after the paths (style, pattern, seeds) draws nothing here.
            return ReadPaths(count);
        }
        default:
            if (IsExtrusionCode(*code)) {
                double number = 0;
                bad = Number(number);
                TakeExtrusion(*code, number, r.common.extrusion);
            }
            break;
        }
        if (bad)
            return bad;
        cursor_.Next();
    }
    return std::nullopt;
}

BadLine HatchReader::ReadPaths(std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (cursor_.Code() != 92) {
            Fault(AreaFault::CountWrong);
            return std::nullopt;
        }
        HatchPath path;
        if (auto bad = Flags(path.flags))
            return bad;
        cursor_.Next();
        path.polyline = (path.flags & 2) != 0;
        if (auto bad = path.polyline ? ReadPolylinePath(path) : ReadEdgePath(path))
            return bad;
        if (Broken())
            return std::nullopt;
        // The handles of the objects the path came from.
        while (OneOf(cursor_.Code(), {97, 330}))
            cursor_.Next();
        record_.paths.push_back(path);
    }
    return std::nullopt;
}

BadLine HatchReader::ReadPolylinePath(HatchPath& path)
{
    auto& vertices = record_.vertices;
    while (OneOf(cursor_.Code(), {72, 73}))
        cursor_.Next(); // bulges are read where they stand; every boundary is closed
    if (cursor_.Code() != 93) {
        Fault(AreaFault::CountWrong);
        return std::nullopt;
    }
    std::size_t count = 0;
    if (auto bad = Count(count))
        return bad;
    cursor_.Next();
    path.first = vertices.size();
    for (auto code = cursor_.Code(); OneOf(code, {10, 20, 42}); code = cursor_.Code()) {
        const std::size_t read = vertices.size() - path.first;
        if (*code == 10) {
            if (read == count)
                break;
            vertices.push_back({});
            record_.common.blame = cursor_.Value();
            if (auto bad = Number(vertices.back().p.x))
                return bad;
        } else if (read > 0) {
            DxfVertex& vertex = vertices.back();
            if (*code == 42)
                vertex.bulgeLine = cursor_.Value();
            if (auto bad = Number(*code == 20 ? vertex.p.y : vertex.bulge))
                return bad;
        }
        cursor_.Next();
    }
    path.last = vertices.size();
    if (path.last - path.first != count)
        Fault(AreaFault::CountWrong);
    return std::nullopt;
}

BadLine HatchReader::ReadEdgePath(HatchPath& path)
{
    if (cursor_.Code() != 93) {
        Fault(AreaFault::CountWrong);
        return std::nullopt;
    }
    std::size_t count = 0;
    if (auto bad = Count(count))
        return bad;
    cursor_.Next();
    path.first = record_.edges.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (cursor_.Code() != 72) {
            Fault(AreaFault::CountWrong);
            return std::nullopt;
        }
        HatchEdge edge;
        int type = 0;
        if (auto bad = Flags(type))
            return bad;
        cursor_.Next();
        if (type < 1 || type > 4) {
            Fault(AreaFault::DegenerateEdge);
            return std::nullopt;
        }
        edge.type = static_cast<std::uint8_t>(type);
        if (auto bad = type == 4 ? ReadSplineEdge(edge) : ReadEdge(edge))
            return bad;
        if (Broken())
            return std::nullopt;
        record_.edges.push_back(edge);
    }
    path.last = record_.edges.size();
    return std::nullopt;
}

BadLine HatchReader::ReadEdge(HatchEdge& edge)
{
    const std::size_t first = cursor_.Value();
    for (auto code = cursor_.Code();
         OneOf(code, {10, 20, 11, 21, 40, 50, 51, 73}) && !(edge.type == 1 && *code >= 40) &&
         !(edge.type == 2 && (*code == 11 || *code == 21));
         code = cursor_.Code()) {
        BadLine bad;
        switch (*code) {
        case 10: bad = Number(edge.a.x); break;
        case 20: bad = Number(edge.a.y); break;
        case 11: bad = Number(edge.b.x); break;
        case 21: bad = Number(edge.b.y); break;
        case 40: bad = Number(edge.radius); break;
        case 50: bad = Number(edge.start); break;
        case 51: bad = Number(edge.end); break;
        case 73: {
            int ccw = 1;
            bad = Flags(ccw);
            edge.ccw = ccw != 0;
            break;
        }
        default: break;
        }
        if (bad)
            return bad;
        cursor_.Next();
    }
    record_.common.blame = first;
    const bool degenerate =
        (edge.type == 2 && !(edge.radius > 0)) ||
        (edge.type == 3 && (!(edge.radius > 0) || (edge.b.x == 0 && edge.b.y == 0)));
    if (degenerate)
        Fault(AreaFault::DegenerateEdge);
    return std::nullopt;
}

BadLine HatchReader::ReadSplineEdge(HatchEdge& edge)
{
    if (record_.splineCount == record_.splines.size())
        record_.splines.emplace_back();
    edge.spline = record_.splineCount++;
    HatchSpline& s = record_.splines[edge.spline];
    Nurbs& curve = s.curve;
    curve.knots.clear();
    curve.control.clear();
    curve.weights.clear();
    curve.closed = curve.periodic = curve.rational = false;
    s.fit.clear();
    s.startTangent = s.endTangent = {};
    s.hasStartTangent = s.hasEndTangent = false;
    std::size_t knots = 0, controls = 0;
    for (auto code = cursor_.Code(); OneOf(code, {94, 73, 74, 95, 96, 40, 10, 20, 42});
         code = cursor_.Code()) {
        int flag = 0;
        double number = 0;
        BadLine bad;
        switch (*code) {
        case 94:
            bad = Flags(flag);
            curve.degree = flag;
            break;
        case 73:
            bad = Flags(flag);
            curve.rational = flag != 0;
            break;
        case 74:
            bad = Flags(flag);
            curve.periodic = flag != 0;
            break;
        case 95: bad = Count(knots); break;
        case 96: bad = Count(controls); break;
        case 40:
            bad = Number(number);
            curve.knots.push_back(number);
            break;
        case 10:
            bad = Number(number);
            curve.control.push_back({number, 0});
            break;
        case 20:
            bad = Number(number);
            if (!curve.control.empty())
                curve.control.back().y = number;
            break;
        case 42:
            bad = Number(number);
            curve.weights.push_back(number);
            break;
        default: break;
        }
        if (bad)
            return bad;
        cursor_.Next();
    }
    if (curve.knots.size() != knots || curve.control.size() != controls) {
        Fault(AreaFault::CountWrong);
        return std::nullopt;
    }
    // Newer files add the fit data, counted by a 97 like the path's own handles
    // after the last edge: it is the spline's when fit points, tangents or the
    // next edge follow it.
    if (cursor_.Code() == 97 && OneOf(cursor_.CodeAfter(), {11, 12, 13, 72, 97}))
        cursor_.Next();
    for (auto code = cursor_.Code(); OneOf(code, {11, 21, 12, 22, 13, 23}); code = cursor_.Code()) {
        double number = 0;
        if (auto bad = Number(number))
            return bad;
        switch (*code) {
        case 11: s.fit.push_back({number, 0}); break;
        case 21:
            if (!s.fit.empty())
                s.fit.back().y = number;
            break;
        case 12:
            s.startTangent.x = number;
            s.hasStartTangent = true;
            break;
        case 22: s.startTangent.y = number; break;
        case 13:
            s.endTangent.x = number;
            s.hasEndTangent = true;
            break;
        case 23: s.endTangent.y = number; break;
        default: break;
        }
        cursor_.Next();
    }
    return std::nullopt;
}

} // namespace

BadLine DecodeHatch(const LineTable& lines, const DxfEntity& entity, HatchRecord& record)
{
    record.common = {};
    record.common.blame = entity.begin + 1;
    record.elevation = 0;
    record.solid = false;
    record.paths.clear();
    record.edges.clear();
    record.vertices.clear();
    record.splineCount = 0;
    record.fault = AreaFault::None;
    record.faultLine = 0;
    HatchReader reader(lines, entity, record);
    return reader.Read();
}

BadLine DecodeSolid(const LineTable& lines, const DxfEntity& entity, SolidRecord& record)
{
    record = {};
    record.common.blame = entity.begin + 1;
    return WalkPairs(lines, entity.begin + 2, entity.end,
                     [&](int code, std::size_t value) -> BadLine {
                         if (code == 8) {
                             record.common.layer = TrimSpaces(lines[value]);
                             return std::nullopt;
                         }
                         double* target = nullptr;
                         if (code >= 10 && code <= 13)
                             target = &record.corners[code - 10].x;
                         else if (code >= 20 && code <= 23)
                             target = &record.corners[code - 20].y;
                         else if (code == 30)
                             target = &record.elevation;
                         double number = 0;
                         if (!target && !IsExtrusionCode(code))
                             return std::nullopt;
                         if (auto bad = ReadFiniteNumber(lines, value, target ? *target : number))
                             return bad;
                         if (code == 10)
                             record.common.blame = value;
                         if (code == 13)
                             record.hasFourth = true;
                         TakeExtrusion(code, number, record.common.extrusion);
                         return std::nullopt;
                     });
}

} // namespace vektrano
