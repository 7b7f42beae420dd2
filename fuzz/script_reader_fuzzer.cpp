// The script reader and the SVG writer on arbitrary bytes. The text is read
// whole and again cut in two at a place the input chooses; both must give the
// same picture, every shape must be finite and inside the extent (a polygon's
// edges closed, a text's height and a hole's drill positive), and the SVG must
// keep its comments well formed.

#include "preview/open_ends.h"
#include "preview/script_reader.h"
#include "preview/svg_writer.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace {

using namespace vektrano;

void Expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool Inside(const Box& extent, Point p)
{
    // The extent is made of the same sums, so a point lies within it exactly.
    return p.x >= extent.min.x && p.x <= extent.max.x && p.y >= extent.min.y && p.y <= extent.max.y;
}

void CheckText(const ScriptPicture& picture, const Shape& shape)
{
    Expect(shape.detail < picture.texts.size(), "text detail out of range");
    const TextShape& text = picture.texts[shape.detail];
    Expect(std::isfinite(text.height) && text.height > 0, "text height not positive");
    Expect(text.angle >= 0 && text.angle < 360, "text angle out of range");
    Expect(text.ratio >= 0 && text.ratio <= 31, "text ratio out of range");
    Expect(!text.box.Empty() && Finite(text.box.min) && Finite(text.box.max), "text box");
    Expect(!text.text.empty(), "empty text");
    // UTF-8 without control characters, so the SVG's XML stays well formed.
    for (std::size_t i = 0; i < text.text.size();) {
        const auto c = static_cast<unsigned char>(text.text[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xE0 ? 3 : 2;
        Expect(c >= 0x20 && c != 0x7F && (c < 0x80 || c >= 0xC2) && c < 0xF0 &&
                   i + length <= text.text.size(),
               "text not UTF-8 or with a control character");
        for (std::size_t k = 1; k < length; ++k)
            Expect((static_cast<unsigned char>(text.text[i + k]) & 0xC0) == 0x80, "text not UTF-8");
        i += length;
    }
}

void CheckPolygon(const ScriptPicture& picture, const Shape& shape)
{
    Expect(shape.detail < picture.polygons.size(), "polygon detail out of range");
    const PolygonShape& polygon = picture.polygons[shape.detail];
    Expect(polygon.edgeCount >= 3 && polygon.firstEdge <= picture.polygonEdges.size() &&
               polygon.edgeCount <= picture.polygonEdges.size() - polygon.firstEdge,
           "polygon edges out of range");
    for (std::size_t i = 0; i < polygon.edgeCount; ++i) {
        const Shape& edge = picture.polygonEdges[polygon.firstEdge + i];
        const Shape& next = picture.polygonEdges[polygon.firstEdge + (i + 1) % polygon.edgeCount];
        Expect(edge.kind == ShapeKind::Wire || edge.kind == ShapeKind::Arc ||
                   edge.kind == ShapeKind::RadiusArc,
               "polygon edge neither wire nor arc");
        Expect(Finite(edge.start) && Finite(edge.end) && Inside(picture.extent, edge.start),
               "polygon edge not finite or outside the extent");
        Expect(edge.end == next.start, "polygon not closed");
    }
}

void CheckPicture(const ScriptPicture& picture)
{
    Expect(picture.extent.Empty() == picture.shapes.empty(), "extent empty without shapes only");
    std::size_t lastLine = 0;
    std::array<std::size_t, 256> onLayer{};
    for (const Shape& shape : picture.shapes) {
        Expect(Finite(shape.start) && Finite(shape.end) && Finite(shape.centre),
               "shape with a non-finite point");
        Expect(std::isfinite(shape.width) && shape.width >= 0, "bad width");
        Expect(std::isfinite(shape.radius) && shape.radius >= 0, "bad radius");
        Expect(shape.line >= lastLine && shape.line >= 1 && shape.line <= picture.lineCount,
               "shape lines out of order");
        lastLine = shape.line;
        // A circle's point lies on it only up to rounding; a wire's and an arc's ends
        // went into the extent as they are.
        Expect(shape.kind == ShapeKind::Circle ||
                   (Inside(picture.extent, shape.start) && Inside(picture.extent, shape.end)),
               "shape outside the extent");
        switch (shape.kind) {
        case ShapeKind::Wire: break;
        case ShapeKind::Circle: Expect(shape.sweep == 360, "circle sweep"); break;
        case ShapeKind::Hole:
            Expect(shape.sweep == 360 && shape.radius > 0 && shape.layer == 45, "bad hole");
            break;
        case ShapeKind::RadiusArc:
            Expect(std::fabs(shape.sweep) <= 180 + 1e-9, "radius arc beyond a half circle");
            [[fallthrough]];
        case ShapeKind::Arc:
            Expect(std::fabs(shape.sweep) < 360 + 1e-9 && shape.sweep != 0, "arc sweep");
            break;
        case ShapeKind::Text: CheckText(picture, shape); break;
        case ShapeKind::Polygon: CheckPolygon(picture, shape); break;
        }
        ++onLayer[shape.layer];
    }
    std::size_t layersCounted = 0;
    int lastLayer = -1;
    for (const LayerSummary& layer : picture.layers) {
        Expect(layer.layer > lastLayer && layer.shapes.count > 0 &&
                   layer.shapes.count == onLayer[static_cast<std::size_t>(layer.layer)],
               "layer summary disagrees with the shapes");
        lastLayer = layer.layer;
        layersCounted += layer.shapes.count;
    }
    Expect(layersCounted == picture.shapes.size(), "shapes on no listed layer");
    Expect(picture.openEnds.size() <= picture.openEndCount &&
               picture.openEnds.size() <= kMaxOpenEndsListed,
           "open-end list longer than its count");
    for (const OpenEnd& end : picture.openEnds)
        Expect((end.layer == 20 || end.layer == 46) && Inside(picture.extent, end.at),
               "open end off the contour layers or outside the extent");
    Expect(picture.notShown.size() <= picture.notShownCount &&
               picture.notShown.size() <= kMaxNotShownListed,
           "not-shown list longer than its count");
    lastLine = 0;
    for (const NotShownLine& line : picture.notShown) {
        Expect(line.line > lastLine && line.line <= picture.lineCount, "not-shown lines order");
        lastLine = line.line;
        Expect(line.text.size() <= kMaxNotShownText + 3, "not-shown text too long");
        for (char c : line.text)
            Expect(c >= 0x20 && c < 0x7f, "not-shown text not printable ASCII");
    }
}

bool SamePicture(const ScriptPicture& a, const ScriptPicture& b)
{
    if (a.shapes.size() != b.shapes.size() || a.notShown.size() != b.notShown.size() ||
        a.notShownCount != b.notShownCount || a.lineCount != b.lineCount)
        return false;
    for (std::size_t i = 0; i < a.shapes.size(); ++i)
        if (!(a.shapes[i].start == b.shapes[i].start) || !(a.shapes[i].end == b.shapes[i].end) ||
            a.shapes[i].line != b.shapes[i].line || a.shapes[i].kind != b.shapes[i].kind ||
            a.shapes[i].layer != b.shapes[i].layer)
            return false;
    if (a.texts.size() != b.texts.size() || a.polygonEdges.size() != b.polygonEdges.size() ||
        a.openEndCount != b.openEndCount)
        return false;
    for (std::size_t i = 0; i < a.texts.size(); ++i)
        if (a.texts[i].text != b.texts[i].text)
            return false;
    for (std::size_t i = 0; i < a.notShown.size(); ++i)
        if (a.notShown[i].line != b.notShown[i].line || a.notShown[i].text != b.notShown[i].text)
            return false;
    return true;
}

void CheckSvg(const ScriptPicture& picture)
{
    std::string svg;
    WriteSvg(picture, [&svg](std::string_view piece) { svg += piece; });
    Expect(svg.rfind("<?xml", 0) == 0 && svg.size() >= 7 &&
               svg.compare(svg.size() - 7, 7, "</svg>\n") == 0,
           "SVG not whole");
    // Inside a comment "--" may only open or close it. The script's own text is
    // in the comments; what is left outside them is markup and numbers.
    std::string markup;
    std::size_t from = 0;
    for (std::size_t open = svg.find("<!--"); open != std::string::npos;
         open = svg.find("<!--", from)) {
        const std::size_t close = svg.find("-->", open + 4);
        Expect(close != std::string::npos, "comment not closed");
        Expect(svg.find("--", open + 4) == close, "\"--\" inside a comment");
        markup.append(svg, from, open - from);
        from = close + 3;
    }
    markup.append(svg, from);
    // A text's string and a layer's name are the script's words, "nan" as well.
    for (const auto& [open, close] :
         {std::pair<std::string_view, std::string_view>{"<text ", "</text>"},
          {"<title>", "</title>"}}) {
        std::string kept;
        std::size_t at = 0;
        for (std::size_t start = markup.find(open); start != std::string::npos;
             start = markup.find(open, at)) {
            const std::size_t inside = markup.find('>', start) + 1;
            const std::size_t end = markup.find(close, inside);
            Expect(inside != 0 && end != std::string::npos, "element not closed");
            kept.append(markup, at, inside - at);
            at = end;
        }
        kept.append(markup, at);
        markup = std::move(kept);
    }
    Expect(markup.find("nan") == std::string::npos && markup.find("inf") == std::string::npos,
           "non-finite number in the SVG");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ScriptPicture whole = ReadScriptText(text);
    CheckPicture(whole);

    ScriptReader reader;
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    reader.Feed(text.substr(0, cut));
    reader.Feed(text.substr(cut));
    Expect(SamePicture(whole, reader.Finish()), "a cut changes the picture");

    CheckSvg(whole);
    return 0;
}
