// Every script line the writer produces, read back by the preview's reader, gives
// the geometry the writer was handed, within the digits the script prints: the
// writer and the reader agree on every number, sign and spelling, so the preview
// shows what Eagle will draw. The input chooses the commands and their numbers.

#include "preview/script_reader.h"
#include "script/script_file.h"
#include "script/script_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace vektrano;

void Expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Numbers drawn from the input: the bytes as a double where that is a usable
// coordinate, else a small number from them, so both plain and exponent forms of
// the script's number text come up.
class Numbers
{
public:
    Numbers(const std::uint8_t* data, std::size_t size)
        : data_(data)
        , size_(size)
    {}
    bool Empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    double Coordinate()
    {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | Byte();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value) && std::fabs(value) < 1e9 && std::fabs(value) > 1e-9)
            return value;
        return static_cast<double>(static_cast<std::int32_t>(bits)) / 1000;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct Written
{
    ShapeKind kind;
    Point start;
    Point end;
    double sweep = 0;
    double radius = 0;
    int layer = 0; // the Layer in force
};

// Two numbers agree when they differ by no more than the last of the 15
// significant digits the script prints.
bool Agree(double written, double read)
{
    return std::fabs(written - read) <= 1e-14 * std::max(1.0, std::fabs(written)) * 10;
}
bool Agree(Point written, Point read)
{
    return Agree(written.x, read.x) && Agree(written.y, read.y);
}

std::string FileText(int fd)
{
    std::string text;
    char piece[1 << 16];
    off_t at = 0;
    for (ssize_t got; (got = ::pread(fd, piece, sizeof piece, at)) > 0; at += got)
        text.append(piece, static_cast<std::size_t>(got));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Numbers numbers(data, size);
    const int fd = ::memfd_create("script", 0);
    if (fd < 0)
        return 0;
    const int readFd = ::dup(fd);
    std::vector<Written> written;
    int layer = 0;
    {
        ScriptFile script;
        script.Adopt(fd);
        ScriptWriter writer(script, "0.25");
        while (!numbers.Empty() && written.size() < 512) {
            const std::uint8_t command = numbers.Byte() % 6;
            if (command == 5) {
                // Layers above 100 are the user's own and are defined first.
                layer = 1 + numbers.Byte() % 255;
                if (layer > 100)
                    writer.DefineLayer(layer, "DXF_" + std::to_string(layer));
                writer.Layer(layer);
                continue;
            }
            const Point a{numbers.Coordinate(), numbers.Coordinate()};
            Point b{numbers.Coordinate(), numbers.Coordinate()};
            switch (command) {
            case 0:
                writer.Wire(a, b);
                written.push_back({ShapeKind::Wire, a, b, 0, 0, layer});
                break;
            case 1:
            case 2: {
                // Any sweep an arc may have: not zero, less than a whole turn.
                double sweep = std::fmod(numbers.Coordinate(), 360.0);
                if (std::fabs(sweep) < 1e-6)
                    sweep = 90;
                // Ends the printed digits cannot tell apart would be no arc.
                if (std::hypot(b.x - a.x, b.y - a.y) <
                    1e-9 * std::max({1.0, std::fabs(a.x), std::fabs(a.y)}))
                    b.x = a.x + std::max(1.0, std::fabs(a.x) * 1e-3);
                writer.Arc(a, b, sweep,
                           command == 1 ? ScriptWriter::Spelling::Upper
                                        : ScriptWriter::Spelling::Lower);
                written.push_back({ShapeKind::Arc, a, b, sweep, 0, layer});
                break;
            }
            case 3: {
                const double radius = std::fabs(b.x) + 0.001;
                writer.Circle(a, radius);
                written.push_back({ShapeKind::Circle, a, {a.x, a.y + radius}, 360, radius, layer});
                break;
            }
            default: {
                const double diameter = std::fabs(b.x) + 0.001;
                writer.Hole(a, diameter);
                written.push_back({ShapeKind::Hole, a, a, 360, diameter / 2, layer});
                break;
            }
            }
        }
        Expect(script.Close(), "the script is written");
    }
    const std::string text = FileText(readFd);
    ::close(readFd);
    const ScriptPicture picture = ReadScriptText(text);
    Expect(picture.notShownCount == 0, "every written line is read");
    Expect(picture.shapes.size() == written.size(), "one shape per written line");
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Written& w = written[i];
        const Shape& shape = picture.shapes[i];
        Expect(shape.kind == w.kind, "the same kind");
        if (w.kind == ShapeKind::Hole) {
            // Eagle draws a hole on its Holes layer, whatever layer is in force.
            Expect(Agree(w.start, shape.centre), "the same hole centre");
            Expect(Agree(w.radius, shape.radius), "the same drill");
            continue;
        }
        Expect(shape.layer == w.layer, "the same layer");
        Expect(Agree(shape.width, 0.25), "the same width");
        switch (w.kind) {
        case ShapeKind::Wire:
            Expect(Agree(w.start, shape.start) && Agree(w.end, shape.end), "the same ends");
            break;
        case ShapeKind::Arc:
            Expect(Agree(w.start, shape.start) && Agree(w.end, shape.end), "the same ends");
            Expect(Agree(w.sweep, shape.sweep), "the same sweep");
            break;
        case ShapeKind::Circle:
            Expect(Agree(w.start, shape.centre), "the same centre");
            Expect(Agree(w.end, shape.start), "the same point on the circle");
            break;
        default: Expect(false, "only wires, arcs and circles are written"); break;
        }
    }
    return 0;
}
