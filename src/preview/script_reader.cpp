#include "script_reader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vektrano {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view word, std::string_view lowerCase)
{
    return word.size() == lowerCase.size() &&
           std::equal(word.begin(), word.end(), lowerCase.begin(),
                      [](char a, char b) { return Lower(a) == b; });
}

// A number as a script writes it: an optional sign, digits with an optional
// point, an optional exponent. Infinities, NaN and numbers beyond a double are
// refused, so every shape drawn has finite coordinates.
std::optional<double> ReadNumber(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Walks one command's text token by token.
class Tokens
{
public:
    explicit Tokens(std::string_view text)
        : text_(text)
    {}

    bool AtEnd()
    {
        SkipBlanks();
        return text_.empty();
    }
    char Peek()
    {
        SkipBlanks();
        return text_.empty() ? '\0' : text_.front();
    }
    void Skip(std::size_t count) { text_.remove_prefix(std::min(count, text_.size())); }

    // A word or number: up to a blank, a parenthesis or the end.
    std::string_view Word()
    {
        SkipBlanks();
        std::size_t n = 0;
        while (n < text_.size() && !IsBlank(text_[n]) && text_[n] != '(' && text_[n] != ')')
            ++n;
        const std::string_view word = text_.substr(0, n);
        text_.remove_prefix(n);
        return word;
    }

    // "(x y)" with blanks anywhere between; nothing when it is not exactly that.
    std::optional<Point> PointInParentheses()
    {
        if (Peek() != '(')
            return std::nullopt;
        Skip(1);
        const auto x = ReadNumber(Word());
        const auto y = ReadNumber(Word());
        if (!x || !y || Peek() != ')')
            return std::nullopt;
        Skip(1);
        return Point{*x, *y};
    }

    // A quoted name, passed over whole.
    bool SkipQuoted()
    {
        const std::size_t close = text_.find('\'', 1);
        if (close == std::string_view::npos)
            return false;
        text_.remove_prefix(close + 1);
        return true;
    }

private:
    void SkipBlanks()
    {
        std::size_t n = 0;
        while (n < text_.size() && IsBlank(text_[n]))
            ++n;
        text_.remove_prefix(n);
    }

    std::string_view text_;
};

bool InSweep(double startAngle, double sweep, double angle)
{
    double turned = sweep >= 0 ? angle - startAngle : startAngle - angle;
    turned = std::fmod(turned, 360.0);
    if (turned < 0)
        turned += 360;
    return turned <= std::fabs(sweep);
}

} // namespace

Extent ShapeExtent(const Shape& shape)
{
    Extent extent;
    const double r = shape.radius;
    const Point c = shape.centre;
    if (shape.kind == ShapeKind::Circle) {
        extent.Add({c.x - r, c.y - r});
        extent.Add({c.x + r, c.y + r});
        return extent;
    }
    extent.Add(shape.start);
    extent.Add(shape.end);
    if (shape.kind == ShapeKind::Wire)
        return extent;
    const double startAngle = AngleOf(c, shape.start);
    constexpr Point kAxes[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    for (int i = 0; i < 4; ++i)
        if (InSweep(startAngle, shape.sweep, 90.0 * i))
            extent.Add(c + r * kAxes[i]);
    return extent;
}

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

} // namespace

void Extent::Unite(const Extent& other)
{
    if (!other.empty) {
        Add(other.min);
        Add(other.max);
    }
}

void Extent::Add(Point p)
{
    if (empty) {
        min = max = p;
        empty = false;
        return;
    }
    min = {std::min(min.x, p.x), std::min(min.y, p.y)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y)};
}

double AngleOf(Point centre, Point p)
{
    return std::atan2(p.y - centre.y, p.x - centre.x) / kDegree;
}

std::optional<ArcCircle> ArcThroughSweep(Point start, Point end, double sweep)
{
    const Point chord = end - start;
    const double length = std::hypot(chord.x, chord.y);
    if (!(std::fabs(sweep) < 360) || sweep == 0 || length == 0)
        return std::nullopt;
    const double half = std::fabs(sweep) * kDegree / 2;
    const double radius = length / 2 / std::sin(half);
    // The centre lies left of the chord for a counter-clockwise arc up to 180
    // degrees and crosses to the right beyond it, which the cosine's sign does.
    const double offset = radius * std::cos(half) * (sweep > 0 ? 1 : -1);
    const Point left{-chord.y / length, chord.x / length};
    const Point centre = 0.5 * (start + end) + offset * left;
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(radius))
        return std::nullopt;
    return ArcCircle{centre, radius};
}

std::optional<RadiusArc> ArcThroughRadius(Point start, Point end, double radius)
{
    const Point chord = end - start;
    const double length = std::hypot(chord.x, chord.y);
    const double r = std::fabs(radius);
    if (length == 0 || r == 0 || !std::isfinite(length))
        return std::nullopt;
    // The script's points carry rounding of the last digits, so a chord a hair
    // longer than the diameter still gives the half circle it was meant to.
    double ratio = length / (2 * r);
    if (ratio > 1 + 1e-9)
        return std::nullopt;
    ratio = std::min(ratio, 1.0);
    const double offset = r * std::sqrt(1 - ratio * ratio) * (radius > 0 ? 1 : -1);
    const Point left{-chord.y / length, chord.x / length};
    const double sweep = 2 * std::asin(ratio) / kDegree * (radius > 0 ? 1 : -1);
    return RadiusArc{{0.5 * (start + end) + offset * left, r}, sweep};
}

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
    return std::move(picture_);
}

void ScriptReader::ReadLine(std::string_view line)
{
    const std::size_t number = ++picture_.lineCount;
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
        ++first;
    if (first == line.size() || line[first] == '#')
        return;

    bool shown = true;
    // Kept between lines, so a line costs no allocation.
    std::vector<Shape>& shapes = lineShapes_;
    shapes.clear();
    // Most lines hold no quote, and memchr finds their ";" fastest.
    const bool anyQuote = std::memchr(line.data(), '\'', line.size()) != nullptr;
    std::size_t begin = first;
    while (begin < line.size()) {
        // A ";" ends a command and another may follow on the same line; a quoted
        // name may hold one.
        std::size_t end = begin;
        if (!anyQuote) {
            const void* semicolon = std::memchr(line.data() + begin, ';', line.size() - begin);
            end = semicolon
                      ? static_cast<std::size_t>(static_cast<const char*>(semicolon) - line.data())
                      : line.size();
        } else {
            bool quoted = false;
            while (end < line.size() && (quoted || line[end] != ';')) {
                quoted ^= line[end] == '\'';
                ++end;
            }
        }
        Tokens tokens(line.substr(begin, end - begin));
        begin = end + 1;
        if (tokens.AtEnd())
            continue;
        const std::string_view command = tokens.Word();

        if (SameWord(command, "grid")) {
            while (!tokens.AtEnd()) {
                const std::string_view word = tokens.Word();
                if (SameWord(word, "mm"))
                    unit_ = 1;
                else if (SameWord(word, "inch"))
                    unit_ = 25.4;
                else if (SameWord(word, "mil"))
                    unit_ = 0.0254;
                else if (SameWord(word, "mic"))
                    unit_ = 0.001;
                else if (word.empty()) {
                    shown = false;
                    break;
                }
            }
            continue;
        }
        if (SameWord(command, "change")) {
            if (SameWord(tokens.Word(), "width")) {
                if (const auto width = ReadNumber(tokens.Word()); width && *width >= 0)
                    wireWidth_ = *width * unit_;
                else
                    shown = false;
            }
            continue;
        }
        if (SameWord(command, "set") || SameWord(command, "layer"))
            continue;

        const bool wire = SameWord(command, "wire");
        if (!wire && !SameWord(command, "circle")) {
            shown = false;
            continue;
        }
        double width = wireWidth_;
        std::vector<Point>& points = points_;
        points.clear();
        // What bends the segment to the next point: a sweep, or a radius after "@".
        enum class Bend { None, Sweep, Radius } bend = Bend::None;
        double bendValue = 0;
        const std::size_t firstShape = shapes.size();
        bool good = true;
        while (good && !tokens.AtEnd()) {
            const char next = tokens.Peek();
            if (next == '(') {
                const auto point = tokens.PointInParentheses();
                if (!point) {
                    good = false;
                    break;
                }
                points.push_back({point->x * unit_, point->y * unit_});
                if (wire && points.size() >= 2) {
                    Shape shape;
                    shape.start = points[points.size() - 2];
                    shape.end = points.back();
                    if (bend == Bend::Radius) {
                        const auto arc = ArcThroughRadius(shape.start, shape.end, bendValue);
                        good = arc.has_value();
                        if (arc) {
                            shape.kind = ShapeKind::RadiusArc;
                            shape.centre = arc->circle.centre;
                            shape.radius = arc->circle.radius;
                            shape.sweep = arc->sweep;
                        }
                    } else if (bend == Bend::Sweep && bendValue != 0) {
                        const auto arc = ArcThroughSweep(shape.start, shape.end, bendValue);
                        good = arc.has_value();
                        if (arc) {
                            shape.kind = ShapeKind::Arc;
                            shape.centre = arc->centre;
                            shape.radius = arc->radius;
                            shape.sweep = bendValue;
                        }
                    }
                    bend = Bend::None;
                    shapes.push_back(shape);
                } else if (!wire && points.size() % 2 == 0) {
                    Shape shape;
                    shape.kind = ShapeKind::Circle;
                    shape.centre = points[points.size() - 2];
                    shape.start = shape.end = points.back();
                    shape.radius =
                        std::hypot(shape.start.x - shape.centre.x, shape.start.y - shape.centre.y);
                    shape.sweep = 360;
                    good = std::isfinite(shape.radius);
                    shapes.push_back(shape);
                }
                continue;
            }
            if (next == '\'') {
                good = wire && points.empty() && tokens.SkipQuoted();
                continue;
            }
            const bool atRadius = next == '@';
            if (atRadius)
                tokens.Skip(1);
            const std::string_view word = tokens.Word();
            if (!atRadius && (SameWord(word, "round") || SameWord(word, "flat")))
                continue;
            const auto value = ReadNumber(word);
            if (!value) {
                good = false;
            } else if (points.empty() && !atRadius) {
                good = *value >= 0 && std::isfinite(*value * unit_);
                width = *value * unit_;
            } else if (wire && !points.empty() && bend == Bend::None) {
                bend = atRadius ? Bend::Radius : Bend::Sweep;
                bendValue = atRadius ? *value * unit_ : *value;
                good = std::isfinite(bendValue);
            } else {
                good = false;
            }
        }
        // A chain ends on a point, and a circle needs its centre and a point on it.
        good = good && bend == Bend::None &&
               (wire ? points.size() >= 2 : points.size() % 2 == 0 && !points.empty());
        if (!good) {
            shapes.resize(firstShape);
            shown = false;
            continue;
        }
        for (std::size_t i = firstShape; i < shapes.size(); ++i) {
            shapes[i].width = width;
            shapes[i].line = number;
        }
    }

    for (const Shape& shape : shapes) {
        if (picture_.shapes.size() >= kMaxShapes) {
            shown = false;
            break;
        }
        picture_.hasRadiusArcs |= shape.kind == ShapeKind::RadiusArc;
        const Extent extent = ShapeExtent(shape);
        picture_.extent.Unite(extent);
        KindSummary& kind = picture_.kinds[static_cast<std::size_t>(shape.kind)];
        kind.extent.Unite(extent);
        kind.widest = std::max(kind.widest, shape.width);
        ++kind.count;
        picture_.shapes.push_back(shape);
    }
    if (!shown)
        ListNotShown(number, line);
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
