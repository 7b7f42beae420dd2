#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vektrano {

// The six names the scan records. A small tag instead of a text keeps a table of
// millions of entities compact; EntityNameText gives the text as the file had it.
enum class EntityName : std::uint8_t { None, Line, Arc, Circle, Vertex, Seqend, Polyline };

constexpr std::string_view EntityNameText(EntityName name)
{
    switch (name) {
    case EntityName::Line: return "LINE";
    case EntityName::Arc: return "ARC";
    case EntityName::Circle: return "CIRCLE";
    case EntityName::Vertex: return "VERTEX";
    case EntityName::Seqend: return "SEQEND";
    case EntityName::Polyline: return "POLYLINE";
    case EntityName::None: break;
    }
    return {};
}

// Exact, case-sensitive match of an already trimmed text.
constexpr EntityName EntityNameOf(std::string_view text)
{
    for (auto name : {EntityName::Line, EntityName::Arc, EntityName::Circle, EntityName::Vertex,
                      EntityName::Seqend, EntityName::Polyline})
        if (text == EntityNameText(name))
            return name;
    return EntityName::None;
}

// One row of the entity table: the name line (an even position) and the next
// group-code line "0" (an odd position), both included in the entity's range.
// The name shares a word with the start, so a row takes 16 bytes instead of 24:
// a drawing of millions of entities holds this table beside the whole file, and
// 56 bits still count more lines than any memory holds.
struct EntityRecord
{
    EntityName Name : 8 = EntityName::None;
    std::uint64_t StartLine : 56 = 0;
    std::uint64_t EndLine = 0;
};
static_assert(sizeof(EntityRecord) == 16);

} // namespace vektrano
