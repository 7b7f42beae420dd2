#include "svg_writer.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
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

bool SameElement(const Shape& a, const Shape& b)
{
    return a.line == b.line && a.width == b.width && a.kind != ShapeKind::Circle &&
           b.kind != ShapeKind::Circle;
}

} // namespace

std::string_view ShapeColour(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Wire: return "#1f5fbf";
    case ShapeKind::Arc: return "#c0392b";
    case ShapeKind::RadiusArc: return "#d68910";
    case ShapeKind::Circle: return "#1e8449";
    }
    return "#000000";
}

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

    const std::vector<Shape>& shapes = picture.shapes;
    for (std::size_t i = 0; i < shapes.size();) {
        const Shape& first = shapes[i];
        const double stroke = std::max(first.width, thinnest);
        if (first.kind == ShapeKind::Circle) {
            out << "<circle class=\"circle\" stroke=\"" << ShapeColour(first.kind)
                << "\" stroke-width=\"" << stroke << "\" cx=\"" << first.centre.x << "\" cy=\""
                << -first.centre.y << "\" r=\"" << first.radius << "\"/>\n";
            ++i;
            continue;
        }
        std::size_t last = i + 1;
        ShapeKind kind = first.kind;
        while (last < shapes.size() && SameElement(first, shapes[last])) {
            // An element that bends anywhere takes the colour of its bends.
            kind = std::max(kind, shapes[last].kind);
            ++last;
        }
        out << "<path class=\"" << ClassOf(kind) << "\" stroke=\"" << ShapeColour(kind)
            << "\" stroke-width=\"" << stroke << "\" d=\"M ";
        out.Coordinates(first.start);
        for (std::size_t k = i; k < last; ++k) {
            const Shape& shape = shapes[k];
            if (k > i && !(shape.start == shapes[k - 1].end)) {
                out << " M ";
                out.Coordinates(shape.start);
            }
            if (shape.kind == ShapeKind::Wire) {
                out << " L ";
            } else {
                // Seen with y downwards, a counter-clockwise arc turns the way
                // SVG calls negative, so its sweep flag is 0.
                out << " A " << shape.radius << " " << shape.radius << " 0 "
                    << (std::fabs(shape.sweep) > 180 ? "1" : "0") << " "
                    << (shape.sweep > 0 ? "0" : "1") << " ";
            }
            out.Coordinates(shape.end);
        }
        out << "\"/>\n";
        i = last;
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
