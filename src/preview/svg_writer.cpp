#include "svg_writer.h"

#include "script_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace vektrano {

namespace {

constexpr std::size_t kFlushAt = 60 * 1024;

std::string_view ClassOf(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Wire: return "wire";
    case ShapeKind::Arc: return "arc";
    case ShapeKind::RadiusArc: return "radius-arc";
    case ShapeKind::Circle: return "circle";
    case ShapeKind::Hole: return "hole";
    case ShapeKind::Text: return "text";
    case ShapeKind::Polygon: return "polygon";
    }
    return "wire";
}

class SvgText
{
public:
    explicit SvgText(const std::function<void(std::string_view)>& sink)
        : sink_(sink)
    {
        text_.reserve(kFlushAt + 4096);
    }
    ~SvgText() { Flush(); }
    SvgText(const SvgText&) = delete;
    SvgText& operator=(const SvgText&) = delete;

    SvgText& operator<<(std::string_view piece)
    {
        text_ += piece;
        if (text_.size() >= kFlushAt)
            Flush();
        return *this;
    }
    SvgText& operator<<(double value)
    {
        // Beyond a double's range a difference of two coordinates may overflow;
        // SVG has no infinity, so the largest number stands in for it.
        if (!std::isfinite(value))
            value = std::isnan(value) ? 0 : std::copysign(DBL_MAX, value);
        if (value == 0)
            value = 0; // no "-0"
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }
    SvgText& operator<<(std::size_t value)
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        return *this << std::string_view(digits, static_cast<std::size_t>(end - digits));
    }
    // A point, y turned downwards as SVG counts it.
    SvgText& Coordinates(Point p) { return *this << p.x << " " << -p.y; }

    void Flush()
    {
        if (!text_.empty())
            sink_(text_);
        text_.clear();
    }

private:
    const std::function<void(std::string_view)>& sink_;
    std::string text_;
};

// The text of a comment may not hold "--"; a blank goes between the two.
void CommentText(SvgText& out, std::string_view text)
{
    std::size_t from = 0;
    for (std::size_t i = 1; i <= text.size(); ++i) {
        if (i == text.size() || (text[i] == '-' && text[i - 1] == '-')) {
            out << text.substr(from, i - from);
            if (i < text.size())
                out << " ";
            from = i;
        }
    }
    if (!text.empty() && text.back() == '-')
        out << " ";
}

// Text for an element or an attribute.
void XmlText(SvgText& out, std::string_view text)
{
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const std::string_view entity = c == '&'   ? "&amp;"
                                        : c == '<' ? "&lt;"
                                        : c == '>' ? "&gt;"
                                        : c == '"' ? "&quot;"
                                                   : "";
        if (entity.empty())
            continue;
        out << text.substr(from, i - from) << entity;
        from = i + 1;
    }
    out << text.substr(from);
}

// Wires and arcs of one line, one width and one layer go into one path.
bool SameElement(const Shape& a, const Shape& b)
{
    const auto joins = [](ShapeKind kind) {
        return kind == ShapeKind::Wire || kind == ShapeKind::Arc || kind == ShapeKind::RadiusArc;
    };
    return a.line == b.line && a.width == b.width && a.layer == b.layer && joins(a.kind) &&
           joins(b.kind);
}

// The path command from a piece's start to its end.
void PathStep(SvgText& out, const Shape& shape)
{
    if (shape.kind == ShapeKind::Wire) {
        out << " L ";
    } else {
        // Seen with y downwards, a counter-clockwise arc turns the way SVG
        // calls negative, so its sweep flag is 0.
        out << " A " << shape.radius << " " << shape.radius << " 0 "
            << (std::fabs(shape.sweep) > 180 ? "1" : "0") << " " << (shape.sweep > 0 ? "0" : "1")
            << " ";
    }
    out.Coordinates(shape.end);
}

// A cross of the given arm about centre, as a path's data.
void Cross(SvgText& out, Point centre, double arm)
{
    out << "M ";
    out.Coordinates({centre.x - arm, centre.y});
    out << " L ";
    out.Coordinates({centre.x + arm, centre.y});
    out << " M ";
    out.Coordinates({centre.x, centre.y - arm});
    out << " L ";
    out.Coordinates({centre.x, centre.y + arm});
}

// A common sans-serif's capitals are about this part of its font size high, and
// Eagle's text size is the height of its capitals.
constexpr double kCapitalHeight = 0.72;

void WriteText(SvgText& out, const ScriptPicture& picture, const Shape& shape,
               std::string_view colour, double thinnest)
{
    const TextShape& text = picture.texts[shape.detail];
    const TextPlacement shown = ShownPlacement(text);
    const std::string_view anchor = shown.align == TextHorizontal::Left     ? "start"
                                    : shown.align == TextHorizontal::Centre ? "middle"
                                                                            : "end";
    out << "<text class=\"text\" fill=\"" << colour << "\" stroke=\"none\" font-family=\""
        << (text.font == TextFont::Fixed ? "monospace" : "sans-serif") << "\" font-size=\""
        << text.height / kCapitalHeight << "\" text-anchor=\"" << anchor
        << "\" xml:space=\"preserve\" transform=\"translate(";
    out.Coordinates(shape.start);
    out << ") rotate(" << -shown.angle << ")" << (text.mirror ? " scale(-1 1)" : "") << "\" y=\""
        << text.height * BaselineFraction(shown.baseline) << "\">";
    XmlText(out, text.text);
    out << "</text>\n<path class=\"text-anchor\" stroke=\"" << colour << "\" stroke-width=\""
        << thinnest << "\" d=\"";
    Cross(out, shape.start, text.height / 4);
    out << "\"/>\n";
}

void WritePolygon(SvgText& out, const ScriptPicture& picture, const Shape& shape,
                  std::string_view colour, double stroke)
{
    const PolygonShape& polygon = picture.polygons[shape.detail];
    const auto edges =
        picture.polygonEdges.begin() + static_cast<std::ptrdiff_t>(polygon.firstEdge);
    const auto end = edges + static_cast<std::ptrdiff_t>(polygon.edgeCount);
    const bool straight =
        std::all_of(edges, end, [](const Shape& edge) { return edge.kind == ShapeKind::Wire; });
    // Half transparent, so what lies under a filled area still shows.
    out << (straight ? "<polygon" : "<path") << " class=\"polygon\" fill=\"" << colour
        << "\" fill-opacity=\"0.5\" stroke=\"" << colour << "\" stroke-width=\"" << stroke
        << (straight ? "\" points=\"" : "\" d=\"M ");
    if (straight) {
        for (auto edge = edges; edge != end; ++edge)
            out << (edge == edges ? "" : " ") << edge->start.x << "," << -edge->start.y;
    } else {
        out.Coordinates(edges->start);
        for (auto edge = edges; edge != end; ++edge)
            PathStep(out, *edge);
        out << " Z";
    }
    out << "\"/>\n";
}

// The shapes from begin to end (indices into order, when given), in the colours
// the picture asks for.
void WriteShapes(SvgText& out, const ScriptPicture& picture,
                 const std::vector<std::uint32_t>* order, std::size_t begin, std::size_t end,
                 double thinnest)
{
    const auto at = [&](std::size_t k) -> const Shape& {
        return picture.shapes[order ? (*order)[k] : k];
    };
    for (std::size_t i = begin; i < end;) {
        const Shape& first = at(i);
        const double stroke = std::max(first.width, thinnest);
        const std::string_view colour = ColourOf(picture, first);
        switch (first.kind) {
        case ShapeKind::Circle:
        case ShapeKind::Hole:
            out << "<circle class=\"" << ClassOf(first.kind) << "\" stroke=\"" << colour
                << "\" stroke-width=\"" << stroke << "\" cx=\"" << first.centre.x << "\" cy=\""
                << -first.centre.y << "\" r=\"" << first.radius << "\"/>\n";
            if (first.kind == ShapeKind::Hole) {
                out << "<path class=\"hole\" stroke=\"" << colour << "\" stroke-width=\"" << stroke
                    << "\" d=\"";
                Cross(out, first.centre, first.radius);
                out << "\"/>\n";
            }
            ++i;
            continue;
        case ShapeKind::Text:
            WriteText(out, picture, first, colour, thinnest);
            ++i;
            continue;
        case ShapeKind::Polygon:
            WritePolygon(out, picture, first, colour, stroke);
            ++i;
            continue;
        case ShapeKind::Wire:
        case ShapeKind::Arc:
        case ShapeKind::RadiusArc: break;
        }
        std::size_t last = i + 1;
        ShapeKind kind = first.kind;
        while (last < end && SameElement(first, at(last))) {
            // An element that bends anywhere takes the colour of its bends.
            kind = std::max(kind, at(last).kind);
            ++last;
        }
        out << "<path class=\"" << ClassOf(kind) << "\" stroke=\""
            << (picture.ColourByLayer() ? colour : ShapeColour(kind)) << "\" stroke-width=\""
            << stroke << "\" d=\"M ";
        out.Coordinates(first.start);
        for (std::size_t k = i; k < last; ++k) {
            const Shape& shape = at(k);
            if (k > i && !(shape.start == at(k - 1).end)) {
                out << " M ";
                out.Coordinates(shape.start);
            }
            PathStep(out, shape);
        }
        out << "\"/>\n";
        i = last;
    }
}

// One group per layer, by the layers' numbers; within a layer the order of the
// script. A counting sort keeps it linear.
void WriteLayerGroups(SvgText& out, const ScriptPicture& picture, double thinnest)
{
    std::array<std::uint32_t, 257> first{};
    for (const Shape& shape : picture.shapes)
        ++first[shape.layer + 1u];
    for (std::size_t n = 1; n < first.size(); ++n)
        first[n] += first[n - 1];
    std::vector<std::uint32_t> order(picture.shapes.size());
    std::array<std::uint32_t, 256> next{};
    std::copy(first.begin(), first.end() - 1, next.begin());
    for (std::size_t i = 0; i < picture.shapes.size(); ++i)
        order[next[picture.shapes[i].layer]++] = static_cast<std::uint32_t>(i);
    for (const LayerSummary& layer : picture.layers) {
        const auto n = static_cast<std::size_t>(layer.layer);
        out << "<g id=\"layer-" << n << "\"><title>" << n;
        if (!layer.name.empty()) {
            out << " ";
            XmlText(out, layer.name);
        }
        out << "</title>\n";
        WriteShapes(out, picture, &order, first[n], first[n + 1], thinnest);
        out << "</g>\n";
    }
}

} // namespace

void WriteSvg(const ScriptPicture& picture, const std::function<void(std::string_view)>& sink)
{
    SvgText out(sink);
    Box extent = picture.extent;
    if (extent.Empty()) {
        extent.Add({0, 0});
        extent.Add({10, 10});
    }
    const double size = std::max(extent.max.x - extent.min.x, extent.max.y - extent.min.y);
    // Thinner lines would vanish at the size a browser first shows the picture.
    const double thinnest = size > 0 ? size / 1000 : 0.01;
    double widest = thinnest;
    for (const Shape& shape : picture.shapes)
        widest = std::max(widest, shape.width);
    const double margin = std::max(widest, size / 50);
    const double width = extent.max.x - extent.min.x + 2 * margin;
    const double height = extent.max.y - extent.min.y + 2 * margin;

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << width
        << "mm\" height=\"" << height << "mm\" viewBox=\"" << extent.min.x - margin << " "
        << -(extent.max.y + margin) << " " << width << " " << height << "\">\n"
        << "<!-- Vorschau des Skripts in mm, y nach oben. Linien dünner als " << thinnest
        << " mm sind " << thinnest << " mm breit gezeichnet. -->\n";
    if (picture.hasRadiusArcs)
        out << "<!-- Bögen mit @Radius: gezeichnet ist der Bogen bis 180 Grad, + gegen den "
               "Uhrzeigersinn; welchen der beiden Bögen Eagle nimmt, sagt seine Hilfe nicht. "
               "-->\n";
    if (picture.ColourByLayer())
        out << "<!-- Farben nach Eagle-Layer, eine Gruppe je Layer. -->\n";
    if (!picture.openEnds.empty())
        out << "<!-- Offene Enden auf Layer 20 und 46: " << picture.openEndCount
            << ", rot umkreist. -->\n";
    if (picture.notShownCount > 0) {
        out << "<!-- Nicht gezeigt: " << picture.notShownCount << " Zeilen\n";
        for (const NotShownLine& line : picture.notShown) {
            out << "Zeile " << line.line << ": ";
            CommentText(out, line.text);
            out << "\n";
        }
        if (picture.notShown.size() < picture.notShownCount)
            out << "...\n";
        out << "-->\n";
    }
    out << "<rect x=\"" << extent.min.x - margin << "\" y=\"" << -(extent.max.y + margin)
        << "\" width=\"" << width << "\" height=\"" << height << "\" fill=\"#ffffff\"/>\n"
        << "<g fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    if (picture.ColourByLayer())
        WriteLayerGroups(out, picture, thinnest);
    else
        WriteShapes(out, picture, nullptr, 0, picture.shapes.size(), thinnest);
    if (!picture.openEnds.empty()) {
        const double ring = size > 0 ? size / 100 : 0.1;
        out << "<g id=\"open-ends\" stroke=\"" << kOpenEndColour << "\" stroke-width=\"" << ring / 4
            << "\">\n";
        for (const OpenEnd& end : picture.openEnds)
            out << "<circle class=\"open-end\" cx=\"" << end.at.x << "\" cy=\"" << -end.at.y
                << "\" r=\"" << ring << "\"/>\n";
        out << "</g>\n";
    }
    out << "</g>\n</svg>\n";
}

int WriteSvgFile(const ScriptPicture& picture, const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return errno;
    int error = 0;
    WriteSvg(picture, [&](std::string_view piece) {
        if (error == 0 && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size())
            error = errno != 0 ? errno : EIO;
    });
    if (std::fclose(file) != 0 && error == 0)
        error = errno != 0 ? errno : EIO;
    return error;
}

} // namespace vektrano
