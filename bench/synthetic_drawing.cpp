#include "synthetic_drawing.h"

#include "script/number_rules.h"

namespace vektrano::bench {

namespace {

class Writer
{
public:
    explicit Writer(std::string_view eol)
        : eol_(eol)
    {}
    void Pair(std::string_view code, std::string_view value)
    {
        text_ += code;
        text_ += eol_;
        text_ += value;
        text_ += eol_;
    }
    void Number(std::string_view code, double value) { Pair(code, NumberText(value)); }
    std::string Take() { return std::move(text_); }

private:
    std::string_view eol_;
    std::string text_;
};

void Entity(Writer& w, Mix kind, std::size_t k)
{
    // Values with a varying number of digits, as exporters write them.
    const double x = static_cast<double>(k % 4000) * 0.125 + static_cast<double>(k % 7) / 3;
    const double y = static_cast<double>(k % 3000) * 0.25 - static_cast<double>(k % 11) / 7;
    switch (kind) {
    case Mix::Lines:
        w.Pair("  0", "LINE");
        w.Pair("  8", "0");
        w.Number(" 10", x);
        w.Number(" 20", y);
        w.Number(" 30", 0);
        w.Number(" 11", x + 1.5);
        w.Number(" 21", y + 2.25);
        w.Number(" 31", 0);
        break;
    case Mix::Circles:
        w.Pair("  0", "CIRCLE");
        w.Pair("  8", "0");
        w.Number(" 10", x);
        w.Number(" 20", y);
        w.Number(" 30", 0);
        w.Number(" 40", 1.0 + static_cast<double>(k % 5));
        break;
    case Mix::Arcs:
        w.Pair("  0", "ARC");
        w.Pair("  8", "0");
        w.Number(" 10", x);
        w.Number(" 20", y);
        w.Number(" 30", 0);
        w.Number(" 40", 2.5);
        w.Number(" 50", static_cast<double>(k % 360));
        w.Number(" 51", static_cast<double>((k + 90) % 360));
        break;
    case Mix::Polylines:
        w.Pair("  0", "POLYLINE");
        w.Pair("  8", "0");
        w.Pair(" 66", "1");
        for (int v = 0; v < 4; ++v) {
            w.Pair("  0", "VERTEX");
            w.Pair("  8", "0");
            w.Number(" 10", x + v);
            w.Number(" 20", y - v);
            w.Number(" 30", 0);
        }
        w.Pair("  0", "SEQEND");
        w.Pair("  8", "0");
        break;
    case Mix::Mixed: break;
    }
}

void Begin(Writer& w)
{
    w.Pair("  0", "SECTION");
    w.Pair("  2", "ENTITIES");
}

std::string End(Writer& w)
{
    w.Pair("  0", "ENDSEC");
    w.Pair("  0", "EOF");
    return w.Take();
}

} // namespace

std::string SyntheticDrawing(std::size_t entities, Mix mix, std::string_view eol)
{
    Writer w(eol);
    Begin(w);
    constexpr Mix kCycle[] = {Mix::Lines, Mix::Lines, Mix::Circles, Mix::Arcs, Mix::Polylines};
    for (std::size_t k = 0; k < entities; ++k) {
        if (mix != Mix::Mixed) {
            Entity(w, mix, k);
        } else if (k % 6 == 5) {
            w.Pair("  0", "TEXT");
            w.Pair("  8", "0");
            std::string label = "R";
            label += std::to_string(k);
            w.Pair("  1", label);
        } else {
            Entity(w, kCycle[k % 6], k);
        }
    }
    return End(w);
}

std::string SharedEndDrawing(std::size_t count)
{
    Writer w("\r\n");
    Begin(w);
    w.Pair("  0", "LINE");
    for (std::size_t k = 0; k < count; ++k)
        w.Pair("  8", "LINE");
    w.Pair(" 10", "0.0");
    w.Pair(" 20", "0.0");
    w.Pair(" 11", "1.0");
    w.Pair(" 21", "1.0");
    return End(w);
}

std::string ManyNamesDrawing(std::size_t count)
{
    Writer w("\r\n");
    Begin(w);
    for (std::size_t k = 0; k < count; ++k)
        w.Pair("  0", "NAME_" + std::to_string(k));
    return End(w);
}

void LoadText(Variablen& state, std::string text, std::string_view eol)
{
    state.Lines.Clear();
    state.FileText = std::move(text);
    state.Lines.Cut(state.FileText, eol);
    state.Lines.Shift();
}

void ResetForScan(Variablen& state)
{
    state.LineIndex = 1;
    state.Entities.assign(1, EntityRecord{});
    state.UnknownList.Clear();
}

} // namespace vektrano::bench
