#pragma once

#include "records.h"

#include <string>
#include <string_view>

namespace vektrano {

// TEXT and ATTRIB, their fields as the file states them.
struct TextRecord
{
    DxfCommon common;
    std::string_view text;  // 1, untrimmed: leading blanks are part of the text
    std::string_view style; // 7
    Point first;            // 10, 20
    Point second;           // 11, 21
    bool hasSecond = false;
    double elevation = 0;   // 30
    double height = 0;      // 40
    double widthFactor = 1; // 41
    double rotation = 0;    // 50, degrees
    int mirror = 0;         // 71: 2 backward, 4 upside down
    int horizontal = 0;     // 72
    int vertical = 0;       // 73 in TEXT, 74 in ATTRIB
    int attributeFlags = 0; // 70 in ATTRIB: 1 invisible
};

// MTEXT. Its insertion point and direction are world coordinates, not its plane's.
struct MTextRecord
{
    DxfCommon common;
    std::string content; // the 3 pieces in order, then the 1 piece
    std::string_view style;
    Vector3 at;          // 10, 20, 30
    Vector3 direction;   // 11, 21, 31
    double rotation = 0; // 50, degrees
    // Whether the direction came after the rotation: the later of the two counts.
    bool useDirection = false;
    double height = 0;        // 40
    double lineSpacing = 0;   // 44, 0 when absent
    int attachment = 1;       // 71
    int drawingDirection = 1; // 72
};

BadLine DecodeText(const LineTable& lines, const DxfEntity& entity, TextRecord& record);
// An ATTRIB record of an INSERT; entity spans the ATTRIB record alone.
BadLine DecodeAttrib(const LineTable& lines, const DxfEntity& entity, TextRecord& record);
BadLine DecodeMText(const LineTable& lines, const DxfEntity& entity, MTextRecord& record);

// The ATTRIB records in an INSERT's range: calls onAttrib with each one's range
// (its kind Attrib). Stops at the SEQEND or the range's end.
template <typename OnAttrib>
void ForEachAttrib(const LineTable& lines, const DxfEntity& insert, OnAttrib&& onAttrib);

// The position of the next "0" code line from `from` (odd), or `end`.
std::size_t NextRecord(const LineTable& lines, std::size_t from, std::size_t end);

template <typename OnAttrib>
void ForEachAttrib(const LineTable& lines, const DxfEntity& insert, OnAttrib&& onAttrib)
{
    const std::size_t top = lines.Top();
    std::size_t p = NextRecord(lines, insert.begin + 2, insert.end);
    while (p < insert.end && p + 1 <= top) {
        const std::size_t next = NextRecord(lines, p + 2, insert.end);
        if (TrimSpaces(lines[p + 1]) == "ATTRIB") {
            DxfEntity attrib;
            attrib.begin = p;
            attrib.end = next;
            attrib.kind = DxfKind::Attrib;
            onAttrib(attrib);
        }
        p = next;
    }
}

} // namespace vektrano
