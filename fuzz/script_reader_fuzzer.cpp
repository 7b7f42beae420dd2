// The script reader and the SVG writer on arbitrary bytes. The text is read
// whole and again cut in two at a place the input chooses; both must give the
// same picture, every shape must be finite and inside the extent, and the SVG
// must keep its comments well formed.

#include "preview/script_reader.h"
#include "preview/svg_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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

void CheckPicture(const ScriptPicture& picture)
{
    Expect(picture.extent.Empty() == picture.shapes.empty(), "extent empty without shapes only");
    std::size_t lastLine = 0;
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
        if (shape.kind == ShapeKind::Circle)
            Expect(shape.sweep == 360, "circle sweep");
        else if (shape.kind != ShapeKind::Wire)
            Expect(std::fabs(shape.sweep) < 360 + 1e-9 && shape.sweep != 0, "arc sweep");
        if (shape.kind == ShapeKind::RadiusArc)
            Expect(std::fabs(shape.sweep) <= 180 + 1e-9, "radius arc beyond a half circle");
    }
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
            a.shapes[i].line != b.shapes[i].line || a.shapes[i].kind != b.shapes[i].kind)
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
