// Full geometry with texts and filled areas drawn, timed on a drawing given as a
// file: read, structure, plan, expand and write, as one run would. Prints script
// lines per second of processor time and the peak memory.
//
//   vektrano_text_area_run DXF SCR
#include "dxf/drawing.h"
#include "expand/expansion.h"
#include "run/line_loading.h"
#include "script/script_writer.h"

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace vektrano {
namespace {

// Lines as full geometry writes them; texts and solid areas through the
// writer's own commands, pattern hatches as their boundaries.
class TextAreaSink final : public PrimitiveSink
{
public:
    explicit TextAreaSink(ScriptWriter& writer)
        : writer_(writer)
    {}
    void Segment(const PrimitiveSource&, Point from, Point to) override { writer_.Wire(from, to); }
    void Arc(const PrimitiveSource&, Point from, Point to, double sweep) override
    {
        writer_.Arc(from, to, sweep, ScriptWriter::Spelling::Upper);
    }
    void Circle(const PrimitiveSource&, Point centre, double radius) override
    {
        writer_.Circle(centre, radius);
    }
    void Chain(const PrimitiveSource&, std::span<const Point> points) override
    {
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            if (points[i] != points[i + 1])
                writer_.Wire(points[i], points[i + 1]);
    }
    void Text(const PrimitiveSource&, const PlacedText& text) override
    {
        writer_.Text(text, kDefaultTextRatio);
    }
    void Area(const PrimitiveSource&, const PlacedArea& area) override
    {
        if (area.solid)
            writer_.FilledArea(area.rings);
        else
            for (const auto& ring : area.rings)
                writer_.ClosedWires(ring);
    }
    bool Failed() const override { return writer_.Failed(); }

private:
    ScriptWriter& writer_;
};

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

} // namespace
} // namespace vektrano

int main(int argc, char** argv)
{
    using namespace vektrano;
    if (argc != 3) {
        std::fprintf(stderr, "usage: vektrano_text_area_run DXF SCR\n");
        return 2;
    }
    const double start = CpuSeconds();
    std::string text;
    if (LoadDxfFile(argv[1], text) != 0) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    LineTable lines;
    lines.Cut(text, "\r\n");
    lines.Shift();
    Drawing drawing;
    ExpandSettings settings;
    settings.texts = settings.areas = true;
    ExpansionPlan plan;
    ExpansionReport report;
    ScriptFile script;
    if (ReadDrawing(lines, drawing) || PlanExpansion(lines, drawing, settings, plan) ||
        script.Open(argv[2]) != 0) {
        std::fprintf(stderr, "drawing refused or script not opened\n");
        return 1;
    }
    const double read = CpuSeconds() - start;
    WriteScriptHeader(script, 21);
    ScriptWriter writer(script, "0");
    TextAreaSink sink(writer);
    if (Expand(lines, drawing, settings, plan, {}, sink, report) || !script.Close()) {
        std::fprintf(stderr, "expansion stopped or script not written\n");
        return 1;
    }
    const double seconds = CpuSeconds() - start;
    std::FILE* written = std::fopen(argv[2], "rb");
    std::uint64_t scriptLines = 0;
    for (int c; written && (c = std::fgetc(written)) != EOF;)
        scriptLines += c == '\n';
    if (written)
        std::fclose(written);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const TextAreaTally& t = writer.Tally();
    std::printf("%llu script lines in %.3f s CPU (%.3f s of it reading and planning): "
                "%.0f lines/s; peak %ld MiB\n",
                static_cast<unsigned long long>(scriptLines), seconds, read,
                static_cast<double>(scriptLines) / seconds, usage.ru_maxrss / 1024);
    std::printf("texts %zu (%zu lines, %zu too tall or small), polygons %zu (%zu too small), "
                "areas left out %zu\n",
                t.texts, t.textLines, t.heightOutOfRange, t.polygons, t.polygonsTooSmall,
                report.badAreas.size());
    return 0;
}
