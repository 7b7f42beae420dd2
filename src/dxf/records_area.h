#pragma once

#include "geometry/nurbs.h"
#include "records.h"

#include <cstdint>
#include <vector>

namespace vektrano {

// Why a HATCH's area is left out: its boundary cannot be trusted.
enum class AreaFault : std::uint8_t {
    None,
    CountWrong,     // a path, edge or vertex count that disagrees with what follows
    DegenerateEdge, // an arc of no radius, an elliptic arc of no axis, a spline of the wrong shape
    NotClosed,      // the edges of a path do not meet end to end
};

// One edge of a HATCH boundary path, in the hatch's own plane.
struct HatchEdge
{
    std::uint8_t type = 1;  // 72: 1 line, 2 circular arc, 3 elliptic arc, 4 spline
    bool ccw = true;        // 73 of the arcs
    Point a;                // line start (10, 20); arc and ellipse centre
    Point b;                // line end (11, 21); the ellipse's major axis end from its centre
    double radius = 0;      // 40: circular arc radius; elliptic arc minor-to-major ratio
    double start = 0;       // 50, degrees as stored (a clockwise arc stores 360 minus them)
    double end = 0;         // 51
    std::size_t spline = 0; // spline edges: index into HatchRecord::splines
};

struct HatchSpline
{
    Nurbs curve; // degree 94, rational 73, periodic 74, knots 40, control 10/20, weights 42
    std::vector<Point> fit; // 11, 21
    Point startTangent;     // 12, 22
    Point endTangent;       // 13, 23
    bool hasStartTangent = false;
    bool hasEndTangent = false;
};

// A boundary path: a polyline (92 bit 2) or a list of edges, closed either way.
struct HatchPath
{
    int flags = 0; // 92
    bool polyline = false;
    std::size_t first = 0; // its vertices (polyline) or edges, [first, last)
    std::size_t last = 0;
};

struct HatchRecord
{
    DxfCommon common;
    double elevation = 0; // 30 of the elevation point
    bool solid = false;   // 70
    std::vector<HatchPath> paths;
    std::vector<HatchEdge> edges;
    std::vector<DxfVertex> vertices; // of polyline paths; bulges only when 72 says so
    // Kept between records; only the first splineCount are this record's.
    std::vector<HatchSpline> splines;
    std::size_t splineCount = 0;
    // A broken boundary leaves the whole area out; the line is the value line
    // where the fault showed.
    AreaFault fault = AreaFault::None;
    std::size_t faultLine = 0;
};

// SOLID and TRACE: three or four corners in the entity's plane.
struct SolidRecord
{
    DxfCommon common;
    Point corners[4]; // 10/20, 11/21, 12/22, 13/23
    bool hasFourth = false;
    double elevation = 0; // 30
};

// Reads the boundary paths in order; seed points, pattern lines and source
// handles are passed over. A number that is no number stops as everywhere; a
// path that does not add up sets fault and ends the reading.
BadLine DecodeHatch(const LineTable& lines, const DxfEntity& entity, HatchRecord& record);
BadLine DecodeSolid(const LineTable& lines, const DxfEntity& entity, SolidRecord& record);

} // namespace vektrano
