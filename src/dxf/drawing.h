#pragma once

#include "state/line_table.h"
#include "state/unknown_tally.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vektrano {

// A group code line read as an integer: blanks around it allowed, nothing else.
std::optional<int> ReadGroupCode(std::string_view line);

// The entity kinds full geometry draws or counts; every other name is only tallied.
// Texts and filled areas come after the lines' kinds: they are drawn only when a
// run asks for them.
enum class DxfKind : std::uint8_t {
    Line,
    Circle,
    Arc,
    Polyline,
    LwPolyline,
    Ellipse,
    Spline,
    Insert,
    Text,
    MText,
    Attrib, // never an entity of its own: it lies in its INSERT's range
    Hatch,
    Solid,
    Trace,
};
inline constexpr std::size_t kDxfKinds = 14;

// The entity name a kind stands for, as the file writes it.
constexpr std::string_view DxfKindName(DxfKind kind)
{
    constexpr std::string_view kNames[kDxfKinds] = {
        "LINE",   "CIRCLE", "ARC",   "POLYLINE", "LWPOLYLINE", "ELLIPSE", "SPLINE",
        "INSERT", "TEXT",   "MTEXT", "ATTRIB",   "HATCH",      "SOLID",   "TRACE",
    };
    return kNames[static_cast<std::size_t>(kind)];
}

// TEXT, MTEXT, ATTRIB, HATCH, SOLID and TRACE.
constexpr bool IsTextOrAreaKind(DxfKind kind) { return kind >= DxfKind::Text; }

// One entity of a kind above, as line positions into the table: no text is copied.
// A POLYLINE's range runs to the end of its SEQEND and so holds its VERTEX
// records; an INSERT's holds its ATTRIB records the same way.
struct DxfEntity
{
    std::size_t begin = 0; // the entity's "0" code line
    std::size_t end = 0;   // the "0" code line after it
    // Set by the reader, one meaning per kind, so a table beside the drawing can
    // hold what the expansion reads from each INSERT without writing into it.
    union {
        std::uint32_t vertices = 0; // POLYLINE: VERTEX records; LWPOLYLINE: vertex (10) codes
        std::uint32_t insert;       // INSERT: its place among the drawing's INSERTs
    };
    DxfKind kind = DxfKind::Line;
    bool paperSpace = false;
};

struct DxfBlock
{
    std::string_view name;
    std::size_t line = 0;  // the "0" line of its BLOCK record
    std::size_t baseX = 0; // value line of code 10, 0 when absent
    std::size_t baseY = 0; // value line of code 20, 0 when absent
    std::size_t first = 0; // its entities in Drawing::entities
    std::size_t last = 0;
    bool layout = false; // *Model_Space or *Paper_Space: never inserted
};

struct DxfLayer
{
    bool off = false;    // negative colour
    bool frozen = false; // bit 1 of the flags
};

// The structure of a drawing: its header values, layers, blocks and entities.
struct Drawing
{
    std::vector<DxfEntity> entities;
    // The ENTITIES section's stretches of entities (one in any real drawing).
    std::vector<std::pair<std::size_t, std::size_t>> model;
    std::vector<DxfBlock> blocks;
    std::unordered_map<std::string_view, std::size_t> blockIndex;
    // By name in upper case: layer names match without regard to case.
    std::unordered_map<std::string, DxfLayer> layers;
    // The LAYER table's names as the file spells them, in its order, each once.
    std::vector<std::string> layerNames;
    std::size_t insunits = 0; // value line of $INSUNITS, 0 when absent
    std::size_t acadver = 0;  // value line of $ACADVER, 0 when absent
    std::uint32_t insertCount = 0;
    // Names of the entities in ENTITIES and BLOCKS that full geometry never draws,
    // each occurrence in the file once. Texts and filled areas are named here too,
    // as they are drawn only on request: a run that draws them leaves their rows out.
    UnknownTally notDrawn;

    void Clear();
};

// Reads the sections of the shifted table into drawing. Returns the position of
// a group code line that is no integer, or nullopt when the structure was read.
// One pass over the pairs, whatever the file holds. pause, when given, is called
// between stretches of many pairs.
std::optional<std::size_t> ReadDrawing(const LineTable& lines, Drawing& drawing,
                                       const std::function<void()>& pause = {});

// Layer names compare like this in the drawing's tables.
std::string LayerKey(std::string_view name);

} // namespace vektrano
