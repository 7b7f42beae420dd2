#include "drawing.h"

#include "state/pausing_steps.h"

#include <charconv>

namespace vektrano {

namespace {

std::optional<DxfKind> KindOf(std::string_view name)
{
    static constexpr std::pair<std::string_view, DxfKind> kNames[] = {
        {"LINE", DxfKind::Line},
        {"CIRCLE", DxfKind::Circle},
        {"ARC", DxfKind::Arc},
        {"POLYLINE", DxfKind::Polyline},
        {"LWPOLYLINE", DxfKind::LwPolyline},
        {"ELLIPSE", DxfKind::Ellipse},
        {"SPLINE", DxfKind::Spline},
        {"INSERT", DxfKind::Insert},
        {"TEXT", DxfKind::Text},
        {"MTEXT", DxfKind::MText},
        {"HATCH", DxfKind::Hatch},
        {"SOLID", DxfKind::Solid},
        {"TRACE", DxfKind::Trace},
    };
    for (const auto& [text, kind] : kNames)
        if (name == text)
            return kind;
    return std::nullopt;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

enum class Section { None, Header, Tables, Blocks, Entities, Other };

class StructureReader
{
public:
    StructureReader(const LineTable& lines, Drawing& drawing, const std::function<void()>& pause)
        : lines_(lines)
        , d_(drawing)
        , pause_(pause)
    {}

    std::optional<std::size_t> Read();

private:
    void StartRecord(std::size_t position, std::string_view name);
    void RecordCode(int code, std::size_t value);
    void CloseEntity(std::size_t position);
    void CloseBlock();

    const LineTable& lines_;
    Drawing& d_;
    const std::function<void()>& pause_;
    Section section_ = Section::None;
    bool expectSectionName_ = false;
    std::string_view headerVariable_;

    // The record whose codes follow.
    enum class Record { None, Layer, Block, Entity, Ignored };
    Record record_ = Record::None;
    bool inBlock_ = false;
    bool inEntity_ = false;   // an entity of a drawn kind is open
    bool absorbing_ = false;  // its VERTEX / ATTRIB records are being taken in
    bool seqendSeen_ = false; // its SEQEND came: the next record closes it
    std::string layerName_;
    DxfLayer layer_;
};

void StructureReader::CloseEntity(std::size_t position)
{
    if (!inEntity_)
        return;
    d_.entities.back().end = position;
    inEntity_ = absorbing_ = seqendSeen_ = false;
}

void StructureReader::CloseBlock()
{
    if (!inBlock_)
        return;
    d_.blocks.back().last = d_.entities.size();
    inBlock_ = false;
}

void StructureReader::StartRecord(std::size_t position, std::string_view name)
{
    if (record_ == Record::Layer && !layerName_.empty()) {
        const auto [at, added] = d_.layers.insert_or_assign(LayerKey(layerName_), layer_);
        if (added)
            d_.layerNames.push_back(layerName_);
    }
    // A POLYLINE takes its VERTEX records, an INSERT its ATTRIB records, each up
    // to and with the SEQEND.
    if (inEntity_ && absorbing_ && !seqendSeen_) {
        const DxfKind kind = d_.entities.back().kind;
        if ((kind == DxfKind::Polyline && name == "VERTEX") ||
            (kind == DxfKind::Insert && name == "ATTRIB")) {
            if (kind == DxfKind::Polyline)
                ++d_.entities.back().vertices;
            else
                d_.notDrawn.Count(name);
            record_ = Record::Ignored;
            return;
        }
        if (name == "SEQEND") {
            seqendSeen_ = true;
            record_ = Record::Ignored;
            return;
        }
    }
    CloseEntity(position);
    record_ = Record::Ignored;

    if (name == "SECTION") {
        CloseBlock();
        section_ = Section::None;
        expectSectionName_ = true;
        return;
    }
    if (name == "ENDSEC") {
        CloseBlock();
        section_ = Section::None;
        return;
    }
    if (name == "EOF")
        return;
    switch (section_) {
    case Section::Tables:
        if (name == "LAYER") {
            record_ = Record::Layer;
            layerName_.clear();
            layer_ = {};
        }
        return;
    case Section::Blocks:
        if (name == "BLOCK") {
            CloseBlock();
            DxfBlock block;
            block.line = position;
            block.first = block.last = d_.entities.size();
            d_.blocks.push_back(block);
            inBlock_ = true;
            record_ = Record::Block;
            return;
        }
        if (name == "ENDBLK") {
            CloseBlock();
            return;
        }
        if (!inBlock_)
            return;
        break;
    case Section::Entities: break;
    default: return;
    }
    const auto kind = KindOf(name);
    if (!kind) {
        d_.notDrawn.Count(name);
        return;
    }
    if (IsTextOrAreaKind(*kind))
        d_.notDrawn.Count(name);
    DxfEntity entity;
    entity.begin = position;
    entity.end = position + 2;
    entity.kind = *kind;
    if (*kind == DxfKind::Insert)
        entity.insert = d_.insertCount++;
    d_.entities.push_back(entity);
    if (section_ == Section::Entities)
        d_.model.back().second = d_.entities.size();
    inEntity_ = true;
    absorbing_ = *kind == DxfKind::Polyline || *kind == DxfKind::Insert;
    record_ = Record::Entity;
}

void StructureReader::RecordCode(int code, std::size_t value)
{
    const std::string_view text = TrimSpaces(lines_[value]);
    if (expectSectionName_) {
        expectSectionName_ = false;
        if (code == 2) {
            section_ = text == "HEADER"     ? Section::Header
                       : text == "TABLES"   ? Section::Tables
                       : text == "BLOCKS"   ? Section::Blocks
                       : text == "ENTITIES" ? Section::Entities
                                            : Section::Other;
            if (section_ == Section::Entities)
                d_.model.emplace_back(d_.entities.size(), d_.entities.size());
            return;
        }
    }
    if (section_ == Section::Header) {
        if (code == 9)
            headerVariable_ = text;
        else if (headerVariable_ == "$INSUNITS" && d_.insunits == 0)
            d_.insunits = value;
        else if (headerVariable_ == "$ACADVER" && d_.acadver == 0)
            d_.acadver = value;
        return;
    }
    switch (record_) {
    case Record::Layer:
        if (code == 2)
            layerName_ = text;
        else if (code == 62)
            layer_.off = !text.empty() && text.front() == '-';
        else if (code == 70) {
            int flags = 0;
            std::from_chars(text.data(), text.data() + text.size(), flags);
            layer_.frozen = (flags & 1) != 0;
        }
        return;
    case Record::Block: {
        DxfBlock& block = d_.blocks.back();
        if (code == 2 && block.name.empty()) {
            block.name = text;
            block.layout =
                StartsWithNoCase(text, "*MODEL_SPACE") || StartsWithNoCase(text, "*PAPER_SPACE") ||
                StartsWithNoCase(text, "$MODEL_SPACE") || StartsWithNoCase(text, "$PAPER_SPACE");
            d_.blockIndex.emplace(text, d_.blocks.size() - 1);
        } else if (code == 10)
            block.baseX = value;
        else if (code == 20)
            block.baseY = value;
        return;
    }
    case Record::Entity: {
        DxfEntity& entity = d_.entities.back();
        if (code == 67)
            entity.paperSpace = text == "1";
        else if (code == 10 && entity.kind == DxfKind::LwPolyline)
            ++entity.vertices;
        return;
    }
    default: return;
    }
}

std::optional<std::size_t> StructureReader::Read()
{
    const std::size_t top = lines_.Top();
    std::size_t p = 1;
    // A few milliseconds of pairs between pauses.
    PausingSteps steps(pause_, std::uint64_t{1} << 16);
    for (; p + 1 <= top; p += 2) {
        steps.Step();
        const auto code = ReadGroupCode(lines_[p]);
        if (!code) {
            // Some writers end the file with a blank line after the last value.
            if (p + 1 == top && TrimSpaces(lines_[p]).empty())
                break;
            return p;
        }
        if (*code == 0) {
            const std::string_view name = TrimSpaces(lines_[p + 1]);
            StartRecord(p, name);
            // Whatever follows the end marker is no part of the drawing.
            if (name == "EOF")
                break;
            continue;
        }
        RecordCode(*code, p + 1);
    }
    StartRecord(p, "EOF");
    CloseBlock();
    return std::nullopt;
}

} // namespace

std::optional<int> ReadGroupCode(std::string_view line)
{
    const std::string_view text = TrimSpaces(line);
    int code = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return code;
}

std::string LayerKey(std::string_view name)
{
    std::string key(name);
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

void Drawing::Clear()
{
    entities.clear();
    model.clear();
    blocks.clear();
    blockIndex.clear();
    layers.clear();
    layerNames.clear();
    insunits = acadver = 0;
    insertCount = 0;
    notDrawn.Clear();
}

std::optional<std::size_t> ReadDrawing(const LineTable& lines, Drawing& drawing,
                                       const std::function<void()>& pause)
{
    drawing.Clear();
    if (lines.PieceCount() == 0)
        return std::nullopt;
    StructureReader reader(lines, drawing, pause);
    return reader.Read();
}

} // namespace vektrano
