#pragma once

#include "drawing.h"
#include "geometry/ocs.h"
#include "geometry/point.h"
#include "state/line_table.h"
#include "state/pausing_steps.h"

#include <cstddef>
#include <numbers>
#include <optional>
#include <string_view>
#include <vector>

namespace vektrano {

// Record decoders: one per entity kind, each filling a plain struct with the
// record's fields as the file states them (no unit, no block placement). A value
// that is no number, or beyond the range of a double, is returned as its line so
// the caller can name it; nullopt means the record was read. Codes a kind does
// not use are passed over, as are numbers before the first vertex they could
// belong to. Records that hold lists take them into vectors the caller keeps
// between calls, so a long walk allocates only while a list outgrows its best.
using BadLine = std::optional<std::size_t>;

// The fields every drawn record shares.
struct DxfCommon
{
    std::string_view layer = "0"; // code 8, as the file spells it
    Vector3 extrusion{0, 0, 1};   // codes 210, 220, 230
    // The value line to name when a point of this record leaves the range of a
    // number: the record's first placing value (its last occurrence), else its
    // name line.
    std::size_t blame = 0;
};

struct LineRecord
{
    DxfCommon common;
    Point from; // 10, 20
    Point to;   // 11, 21
};

// CIRCLE and ARC; a CIRCLE keeps the angles' defaults.
struct CircleRecord
{
    DxfCommon common;
    Point centre;         // 10, 20
    double elevation = 0; // 30
    double radius = 0;    // 40
    double start = 0;     // 50, degrees
    double end = 360;     // 51, degrees
};

struct DxfVertex
{
    Point p;
    double bulge = 0;
    std::size_t bulgeLine = 0; // the value line of its bulge, 0 when absent
};

// POLYLINE with its VERTEX records, and LWPOLYLINE.
struct PolylineRecord
{
    DxfCommon common;
    int flags = 0;        // 70
    double elevation = 0; // POLYLINE 30, LWPOLYLINE 38
    // The vertices on the curve: frame points of a spline-fit POLYLINE (vertex
    // flag 16) are left out, they are not on the curve a CAD program shows.
    std::vector<DxfVertex> vertices;
};

struct EllipseRecord
{
    DxfCommon common;
    Vector3 centre;                    // 10, 20, 30
    Vector3 major;                     // 11, 21, 31: the major axis' end from the centre
    double ratio = 1;                  // 40: minor to major axis
    double start = 0;                  // 41, radians
    double end = 2 * std::numbers::pi; // 42, radians
};

struct SplineRecord
{
    DxfCommon common;
    double flags = 0;            // 70
    double degree = 3;           // 71
    std::vector<double> knots;   // 40
    std::vector<double> weights; // 41
    std::vector<Point> control;  // 10, 20
    std::vector<Point> fit;      // 11, 21
    // 12, 22 and 13, 23; each counts as given once its x (12, 13) came.
    Point startTangent;
    Point endTangent;
    bool hasStartTangent = false;
    bool hasEndTangent = false;
};

// INSERT and MINSERT (a MINSERT is an INSERT with an array).
struct InsertRecord
{
    DxfCommon common;
    std::string_view block;   // 2
    Point at;                 // 10, 20
    double atZ = 0;           // 30
    double scaleX = 1;        // 41
    double scaleY = 1;        // 42
    double rotation = 0;      // 50, degrees
    double columns = 1;       // 70
    double rows = 1;          // 71
    double columnSpacing = 0; // 44
    double rowSpacing = 0;    // 45
};

BadLine DecodeLine(const LineTable& lines, const DxfEntity& entity, LineRecord& record);
BadLine DecodeCircle(const LineTable& lines, const DxfEntity& entity, CircleRecord& record);
// Both polyline kinds; steps, when given, takes a step per vertex read, so the
// window repaints inside one polyline of millions of vertices.
BadLine DecodePolyline(const LineTable& lines, const DxfEntity& entity, PolylineRecord& record,
                       PausingSteps* steps = nullptr);
BadLine DecodeEllipse(const LineTable& lines, const DxfEntity& entity, EllipseRecord& record);
BadLine DecodeSpline(const LineTable& lines, const DxfEntity& entity, SplineRecord& record);
BadLine DecodeInsert(const LineTable& lines, const DxfEntity& entity, InsertRecord& record);

// A value line read as a finite number, else its line as the fault.
BadLine ReadFiniteNumber(const LineTable& lines, std::size_t position, double& number);

} // namespace vektrano
