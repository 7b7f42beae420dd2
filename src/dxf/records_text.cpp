#include "records_text.h"

#include "record_pairs.h"

namespace vektrano {

namespace {

BadLine DecodeTextOrAttrib(const LineTable& lines, const DxfEntity& entity, TextRecord& record,
                           bool attrib)
{
    record = {};
    record.common.blame = entity.begin + 1;
    const int verticalCode = attrib ? 74 : 73;
    std::size_t stop = entity.end;
    // An ATTRIB of a newer drawing may carry an embedded MTEXT after code 101,
    // whose codes would overwrite the attribute's own.
    for (std::size_t p = entity.begin + 2; p < entity.end; p += 2)
        if (attrib && ReadGroupCode(lines[p]) == 101) {
            stop = p;
            break;
        }
    return WalkPairs(lines, entity.begin + 2, stop, [&](int code, std::size_t value) -> BadLine {
        switch (code) {
        case 1: record.text = lines[value]; return std::nullopt;
        case 7: record.style = TrimSpaces(lines[value]); return std::nullopt;
        case 8: record.common.layer = TrimSpaces(lines[value]); return std::nullopt;
        case 10: record.common.blame = value; return ReadFiniteNumber(lines, value, record.first.x);
        case 20: return ReadFiniteNumber(lines, value, record.first.y);
        case 11: record.hasSecond = true; return ReadFiniteNumber(lines, value, record.second.x);
        case 21: return ReadFiniteNumber(lines, value, record.second.y);
        case 30: return ReadFiniteNumber(lines, value, record.elevation);
        case 40: return ReadFiniteNumber(lines, value, record.height);
        case 41: return ReadFiniteNumber(lines, value, record.widthFactor);
        case 50: return ReadFiniteNumber(lines, value, record.rotation);
        case 71: return ReadFlags(lines, value, record.mirror);
        case 72: return ReadFlags(lines, value, record.horizontal);
        case 70: return attrib ? ReadFlags(lines, value, record.attributeFlags) : std::nullopt;
        default: break;
        }
        if (code == verticalCode)
            return ReadFlags(lines, value, record.vertical);
        if (IsExtrusionCode(code))
            return ReadExtrusion(lines, code, value, record.common.extrusion);
        return std::nullopt;
    });
}

} // namespace

std::size_t NextRecord(const LineTable& lines, std::size_t from, std::size_t end)
{
    const std::size_t top = lines.Top();
    std::size_t p = from;
    for (; p < end && p + 1 <= top; p += 2)
        if (ReadGroupCode(lines[p]) == 0)
            return p;
    return end;
}

BadLine DecodeText(const LineTable& lines, const DxfEntity& entity, TextRecord& record)
{
    return DecodeTextOrAttrib(lines, entity, record, false);
}

BadLine DecodeAttrib(const LineTable& lines, const DxfEntity& entity, TextRecord& record)
{
    return DecodeTextOrAttrib(lines, entity, record, true);
}

BadLine DecodeMText(const LineTable& lines, const DxfEntity& entity, MTextRecord& record)
{
    record.common = {};
    record.common.blame = entity.begin + 1;
    record.content.clear();
    record.style = {};
    record.at = record.direction = {};
    record.rotation = 0;
    record.useDirection = false;
    record.height = record.lineSpacing = 0;
    record.attachment = record.drawingDirection = 1;
    std::string_view last;
    auto bad =
        WalkPairs(lines, entity.begin + 2, entity.end, [&](int code, std::size_t value) -> BadLine {
            switch (code) {
            case 1: last = lines[value]; return std::nullopt;
            case 3: record.content += lines[value]; return std::nullopt;
            case 7: record.style = TrimSpaces(lines[value]); return std::nullopt;
            case 8: record.common.layer = TrimSpaces(lines[value]); return std::nullopt;
            case 10:
                record.common.blame = value;
                return ReadFiniteNumber(lines, value, record.at.x);
            case 20: return ReadFiniteNumber(lines, value, record.at.y);
            case 30: return ReadFiniteNumber(lines, value, record.at.z);
            case 11:
                record.useDirection = true;
                return ReadFiniteNumber(lines, value, record.direction.x);
            case 21: return ReadFiniteNumber(lines, value, record.direction.y);
            case 31: return ReadFiniteNumber(lines, value, record.direction.z);
            case 40: return ReadFiniteNumber(lines, value, record.height);
            case 44: return ReadFiniteNumber(lines, value, record.lineSpacing);
            case 50:
                record.useDirection = false;
                return ReadFiniteNumber(lines, value, record.rotation);
            case 71: return ReadFlags(lines, value, record.attachment);
            case 72: return ReadFlags(lines, value, record.drawingDirection);
            default: break;
            }
            if (IsExtrusionCode(code))
                return ReadExtrusion(lines, code, value, record.common.extrusion);
            return std::nullopt;
        });
    record.content += last;
    return bad;
}

} // namespace vektrano
