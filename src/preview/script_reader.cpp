#include "script_reader.h"

#include "geometry/arc.h"
#include "open_ends.h"
#include "script_tokens.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vektrano {

namespace {

std::string ShortText(std::string_view line)
{
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    std::string text;
    const std::size_t kept = std::min(line.size(), kMaxNotShownText);
    text.reserve(kept + 3);
    for (std::size_t i = 0; i < kept; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        text += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    }
    if (kept < line.size())
        text += "...";
    return text;
}

bool IsBlankOrComment(std::string_view line)
{
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
        ++first;
    return first == line.size() || line[first] == '#';
}

// Where the command from begin on ends: at the next ";", or the line's end. A
// quoted name may hold a ";"; anyQuote says whether the line holds a quote at all.
std::size_t CommandEnd(std::string_view line, std::size_t begin, bool anyQuote)
{
    if (!anyQuote) {
        const void* semicolon = std::memchr(line.data() + begin, ';', line.size() - begin);
        return semicolon
                   ? static_cast<std::size_t>(static_cast<const char*>(semicolon) - line.data())
                   : line.size();
    }
    std::size_t end = begin;
    bool quoted = false;
    while (end < line.size() && (quoted || line[end] != ';')) {
        quoted ^= line[end] == '\'';
        ++end;
    }
    return end;
}

} // namespace

void ScriptReader::Feed(std::string_view piece)
{
    while (!piece.empty()) {
        const std::size_t newline = piece.find('\n');
        const std::string_view part = piece.substr(0, newline);
        const bool complete = newline != std::string_view::npos;
        piece.remove_prefix(complete ? newline + 1 : piece.size());
        if (pending_.empty() && !pendingTooLong_ && complete && part.size() <= kMaxLineBytes) {
            ReadLine(part);
            continue;
        }
        // Beyond the limit only the start is kept, for the not-shown list.
        if (!pendingTooLong_ && pending_.size() + part.size() > kMaxLineBytes) {
            pending_.append(part.substr(0, kMaxNotShownText + 1));
            pendingTooLong_ = true;
        } else if (!pendingTooLong_)
            pending_.append(part);
        if (!complete)
            return;
        if (pendingTooLong_) {
            ListNotShown(++picture_.lineCount, pending_);
        } else
            ReadLine(pending_);
        pending_.clear();
        pendingTooLong_ = false;
    }
}

void ScriptReader::ListNotShown(std::size_t line, std::string_view text)
{
    if (picture_.notShown.size() < kMaxNotShownListed)
        picture_.notShown.push_back({line, ShortText(text)});
    ++picture_.notShownCount;
}

void ScriptReader::Reserve(std::uintmax_t bytes)
{
    // A line the program writes takes 30 to 60 bytes; growing past the guess
    // costs a copy, a guess too high costs untouched address space only.
    picture_.shapes.reserve(
        static_cast<std::size_t>(std::min<std::uintmax_t>(bytes / 40, kMaxShapes)));
}

ScriptPicture ScriptReader::Finish()
{
    if (!pending_.empty() || pendingTooLong_)
        Feed("\n");
    for (std::size_t layer = 0; layer < layers_.size(); ++layer)
        if (layers_[layer].count > 0)
            picture_.layers.push_back({static_cast<int>(layer),
                                       commands_.LayerName(static_cast<int>(layer)),
                                       layers_[layer]});
    picture_.openEndCount = FindOpenEnds(picture_.shapes, picture_.openEnds);
    return std::move(picture_);
}

void ScriptReader::ReadLine(std::string_view line)
{
    const std::size_t number = ++picture_.lineCount;
    if (IsBlankOrComment(line))
        return;
    lineShapes_.Clear();
    bool shown = true;
    // Most lines hold no quote, and memchr finds their ";" fastest.
    const bool anyQuote = std::memchr(line.data(), '\'', line.size()) != nullptr;
    // A ";" ends a command and another may follow on the same line.
    for (std::size_t begin = 0; begin < line.size();) {
        const std::size_t end = CommandEnd(line, begin, anyQuote);
        if (!commands_.Read(line.substr(begin, end - begin), number, lineShapes_))
            shown = false;
        begin = end + 1;
    }
    if (!AddToPicture(lineShapes_) || !shown)
        ListNotShown(number, line);
}

bool ScriptReader::AddToPicture(const LineShapes& line)
{
    for (const Shape& lineShape : line.shapes) {
        // A polygon's edges take room like shapes of their own.
        const std::size_t edges =
            lineShape.kind == ShapeKind::Polygon ? line.polygons[lineShape.detail].edgeCount : 0;
        if (picture_.shapes.size() + picture_.polygonEdges.size() + edges >= kMaxShapes)
            return false;
        Shape shape = lineShape;
        Box box;
        if (shape.kind == ShapeKind::Text) {
            const TextShape& text = line.texts[shape.detail];
            box = text.box;
            shape.detail = static_cast<std::uint32_t>(picture_.texts.size());
            picture_.texts.push_back(text);
        } else if (shape.kind == ShapeKind::Polygon) {
            PolygonShape polygon = line.polygons[shape.detail];
            box = polygon.box;
            const auto from =
                line.polygonEdges.begin() + static_cast<std::ptrdiff_t>(polygon.firstEdge);
            polygon.firstEdge = picture_.polygonEdges.size();
            picture_.polygonEdges.insert(picture_.polygonEdges.end(), from,
                                         from + static_cast<std::ptrdiff_t>(edges));
            shape.detail = static_cast<std::uint32_t>(picture_.polygons.size());
            picture_.polygons.push_back(polygon);
        } else {
            box = OutlineBox(shape);
        }
        picture_.hasRadiusArcs |= shape.kind == ShapeKind::RadiusArc;
        picture_.extent.Unite(box);
        for (KindSummary* summary :
             {&picture_.kinds[static_cast<std::size_t>(shape.kind)], &layers_[shape.layer]}) {
            summary->extent.Unite(box);
            summary->widest = std::max(summary->widest, shape.width);
            ++summary->count;
        }
        picture_.shapes.push_back(shape);
    }
    return true;
}

ScriptPicture ReadScriptText(std::string_view text)
{
    ScriptReader reader;
    reader.Reserve(text.size());
    reader.Feed(text);
    return reader.Finish();
}

ScriptFileRead ReadScriptFile(const std::string& path, const std::function<void()>& pause)
{
    ScriptFileRead result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        result.error = errno;
        return result;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
    ScriptReader reader;
    std::error_code sizeUnknown;
    if (const auto size = std::filesystem::file_size(path, sizeUnknown); !sizeUnknown)
        reader.Reserve(size);
    const auto buffer = std::make_unique<char[]>(std::size_t{1} << 20);
    for (;;) {
        const std::size_t got = std::fread(buffer.get(), 1, std::size_t{1} << 20, file);
        reader.Feed({buffer.get(), got});
        if (got < (std::size_t{1} << 20))
            break;
        if (pause)
            pause();
    }
    if (std::ferror(file)) {
        result.error = errno != 0 ? errno : EIO;
        return result;
    }
    result.picture = reader.Finish();
    return result;
}

} // namespace vektrano
