#include "records.h"

#include "dxf_number.h"
#include "record_pairs.h"

#include <cmath>
#include <initializer_list>

namespace vektrano {

namespace {

struct NumberField
{
    int code;
    double* target;
};

// The records whose fields are single numbers: name (2), layer, extrusion and
// the numbers asked for. The first field asked for is the one to blame.
BadLine ReadFields(const LineTable& lines, const DxfEntity& entity,
                   std::initializer_list<NumberField> fields, DxfCommon& common,
                   std::string_view* name = nullptr)
{
    common.blame = entity.begin + 1;
    return WalkPairs(lines, entity.begin + 2, entity.end,
                     [&](int code, std::size_t value) -> BadLine {
                         if (code == 2 || code == 8) {
                             const std::string_view text = TrimSpaces(lines[value]);
                             if (code == 8)
                                 common.layer = text;
                             else if (name)
                                 *name = text;
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
                         if (target == &number && !IsExtrusionCode(code))
                             return std::nullopt;
                         if (auto bad = ReadFiniteNumber(lines, value, *target))
                             return bad;
                         TakeExtrusion(code, number, common.extrusion);
                         return std::nullopt;
                     });
}

void Step(PausingSteps* steps)
{
    if (steps)
        steps->Step();
}

// The VERTEX records of a POLYLINE, from position on up to its SEQEND.
BadLine DecodeVertices(const LineTable& lines, const DxfEntity& entity, std::size_t position,
                       PolylineRecord& record, PausingSteps* steps)
{
    std::size_t p = position;
    const std::size_t top = lines.Top();
    while (p < entity.end && p + 1 <= top) {
        if (TrimSpaces(lines[p + 1]) != "VERTEX")
            break;
        DxfVertex vertex;
        int vertexFlags = 0;
        if (auto bad = WalkPairs(
                lines, p + 2, entity.end,
                [&](int code, std::size_t value) -> BadLine {
                    switch (code) {
                    case 10:
                        record.common.blame = value;
                        return ReadFiniteNumber(lines, value, vertex.p.x);
                    case 20: return ReadFiniteNumber(lines, value, vertex.p.y);
                    case 42:
                        vertex.bulgeLine = value;
                        return ReadFiniteNumber(lines, value, vertex.bulge);
                    case 70: return ReadFlags(lines, value, vertexFlags);
                    default: return std::nullopt;
                    }
                },
                &p))
            return bad;
        if ((vertexFlags & 16) == 0)
            record.vertices.push_back(vertex);
        Step(steps);
    }
    return std::nullopt;
}

} // namespace

BadLine ReadFiniteNumber(const LineTable& lines, std::size_t position, double& number)
{
    const auto value = ReadDxfNumber(lines[position]);
    if (!value || !std::isfinite(*value))
        return position;
    number = *value;
    return std::nullopt;
}

BadLine DecodeLine(const LineTable& lines, const DxfEntity& entity, LineRecord& record)
{
    record = {};
    return ReadFields(
        lines, entity,
        {{10, &record.from.x}, {20, &record.from.y}, {11, &record.to.x}, {21, &record.to.y}},
        record.common);
}

BadLine DecodeCircle(const LineTable& lines, const DxfEntity& entity, CircleRecord& record)
{
    record = {};
    return ReadFields(lines, entity,
                      {{10, &record.centre.x},
                       {20, &record.centre.y},
                       {30, &record.elevation},
                       {40, &record.radius},
                       {50, &record.start},
                       {51, &record.end}},
                      record.common);
}

BadLine DecodePolyline(const LineTable& lines, const DxfEntity& entity, PolylineRecord& record,
                       PausingSteps* steps)
{
    record.common = {};
    record.common.blame = entity.begin + 1;
    record.flags = 0;
    record.elevation = 0;
    record.vertices.clear();
    auto& vertices = record.vertices;
    const bool lw = entity.kind == DxfKind::LwPolyline;
    std::size_t after = entity.end;
    if (auto bad = WalkPairs(
            lines, entity.begin + 2, entity.end,
            [&](int code, std::size_t value) -> BadLine {
                if (code == 8) {
                    record.common.layer = TrimSpaces(lines[value]);
                    return std::nullopt;
                }
                if (code == 70)
                    return ReadFlags(lines, value, record.flags);
                if (IsExtrusionCode(code))
                    return ReadExtrusion(lines, code, value, record.common.extrusion);
                if (code == (lw ? 38 : 30))
                    return ReadFiniteNumber(lines, value, record.elevation);
                if (!lw)
                    return std::nullopt;
                switch (code) {
                case 10:
                    Step(steps);
                    vertices.push_back({});
                    record.common.blame = value;
                    return ReadFiniteNumber(lines, value, vertices.back().p.x);
                case 20:
                case 42:
                    // A value before the first vertex belongs to no vertex.
                    if (vertices.empty())
                        return std::nullopt;
                    if (code == 42)
                        vertices.back().bulgeLine = value;
                    return ReadFiniteNumber(
                        lines, value, code == 20 ? vertices.back().p.y : vertices.back().bulge);
                default: return std::nullopt;
                }
            },
            &after))
        return bad;
    if (lw)
        return std::nullopt;
    return DecodeVertices(lines, entity, after, record, steps);
}

BadLine DecodeEllipse(const LineTable& lines, const DxfEntity& entity, EllipseRecord& record)
{
    record = {};
    return ReadFields(lines, entity,
                      {{10, &record.centre.x},
                       {20, &record.centre.y},
                       {30, &record.centre.z},
                       {11, &record.major.x},
                       {21, &record.major.y},
                       {31, &record.major.z},
                       {40, &record.ratio},
                       {41, &record.start},
                       {42, &record.end}},
                      record.common);
}

BadLine DecodeSpline(const LineTable& lines, const DxfEntity& entity, SplineRecord& record)
{
    record.common = {};
    record.common.blame = entity.begin + 1;
    record.flags = 0;
    record.degree = 3;
    record.knots.clear();
    record.weights.clear();
    record.control.clear();
    record.fit.clear();
    record.startTangent = record.endTangent = {};
    record.hasStartTangent = record.hasEndTangent = false;
    return WalkPairs(lines, entity.begin + 2, entity.end,
                     [&](int code, std::size_t value) -> BadLine {
                         if (code == 8) {
                             record.common.layer = TrimSpaces(lines[value]);
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
                         if (auto bad = ReadFiniteNumber(lines, value, number))
                             return bad;
                         switch (code) {
                         case 70: record.flags = number; break;
                         case 71: record.degree = number; break;
                         case 40: record.knots.push_back(number); break;
                         case 41: record.weights.push_back(number); break;
                         case 10: record.control.push_back({number, 0}); break;
                         case 20:
                             if (!record.control.empty())
                                 record.control.back().y = number;
                             break;
                         case 11: record.fit.push_back({number, 0}); break;
                         case 21:
                             if (!record.fit.empty())
                                 record.fit.back().y = number;
                             break;
                         case 12:
                             record.startTangent.x = number;
                             record.hasStartTangent = true;
                             break;
                         case 22: record.startTangent.y = number; break;
                         case 13:
                             record.endTangent.x = number;
                             record.hasEndTangent = true;
                             break;
                         case 23: record.endTangent.y = number; break;
                         default: break;
                         }
                         return std::nullopt;
                     });
}

BadLine DecodeInsert(const LineTable& lines, const DxfEntity& entity, InsertRecord& record)
{
    record = {};
    return ReadFields(lines, entity,
                      {{41, &record.scaleX},
                       {42, &record.scaleY},
                       {10, &record.at.x},
                       {20, &record.at.y},
                       {30, &record.atZ},
                       {50, &record.rotation},
                       {70, &record.columns},
                       {71, &record.rows},
                       {44, &record.columnSpacing},
                       {45, &record.rowSpacing}},
                      record.common, &record.block);
}

} // namespace vektrano
