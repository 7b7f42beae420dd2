#pragma once

#include "cli/memory_window.h"
#include "run/conversion_run.h"
#include "state/variablen.h"
#include "support/dxf_text.h"
#include "support/files.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vektrano::test {

namespace fs = std::filesystem;

inline const std::string kHint = "Hinweis: Bei gro\xC3\x9F"
                                 "en Dateien kann da Laden u.U. mehrere Minuten dauern !\r\n\r\n";

inline std::string Dashes() { return std::string(76, '-') + "\r\n"; }
inline std::string Equals() { return std::string(66, '=') + "\r\n\r\n"; }

inline std::string Statistics(long long line, long long convLine, long long circle,
                              long long convCircle, long long arc, long long convArc,
                              long long poly, long long convPoly)
{
    auto row = [](std::string label, long long met, const char* tabs, long long written) {
        return label + std::to_string(met) + tabs +
               " davon konvertiert: " + std::to_string(written) + "\r\n";
    };
    return row("Anzahl Linien: ", line, "\t\t", convLine) +
           row("Anzahl Kreise: ", circle, "\t\t", convCircle) +
           row("Anzahl Halbkreise: ", arc, "\t", convArc) +
           row("Anzahl Polyline: ", poly, "\t\t", convPoly);
}

// Splits a script (or log) at CR LF; a text that does not end with CR LF keeps its
// last piece.
inline std::vector<std::string> CrLfLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
         at = text.find("\r\n", start)) {
        lines.emplace_back(text.substr(start, at - start));
        start = at + 2;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

// One conversion through the in-memory window, on files in a temp folder.
struct Conversion
{
    TempDir dir;
    MemoryWindow window;
    Variablen state;
    RunOutcome outcome = RunOutcome::NotStarted;
    ConversionOptions options;
    fs::path dxf = dir / "plan.dxf";
    fs::path scr = dir / "plan.scr";

    Conversion()
    {
        window.SetField(Field::Txt_DXF, dxf.string());
        window.SetField(Field::Txt_SCR, scr.string());
    }

    RunOutcome Run(std::string_view drawing)
    {
        WriteBytes(dxf, drawing);
        outcome = RunConversion(window, state, options);
        return outcome;
    }
    // Runs again on the same state, as a second START press would.
    RunOutcome RunAgain() { return outcome = RunConversion(window, state, options); }

    std::string Script() const { return ReadBytes(scr); }
    // The drawing lines after the five header lines.
    std::vector<std::string> Body() const
    {
        std::string script = Script();
        EXPECT_TRUE(script.starts_with(kHeader)) << script;
        if (!script.starts_with(kHeader))
            return {};
        return CrLfLines(std::string_view(script).substr(kHeader.size()));
    }
    const std::string& Log() const { return window.Log(); }
    // The log from "Lade Datei" up to the end of the dashed line.
    std::string LogPrefix(std::size_t separators) const
    {
        return kHint + "Lade Datei " + dxf.string() + "...fertig\r\n\r\n" +
               std::to_string(separators) + " Zeilen der DXF Datei gelesen.\r\n\r\n" +
               "Konvertiere Datei...fertig\r\n\r\n" +
               "Fehlermeldungen / Unbekannte Befehle der DXF Datei: \r\n" + Dashes();
    }
};

} // namespace vektrano::test

namespace vektrano::test {

struct Group
{
    std::string code;
    std::string value;
};

// "0", name, then each code and value: one DXF group as an exporter writes it.
inline std::string Entity(std::string_view name, std::initializer_list<Group> groups)
{
    std::string text = "0\r\n" + std::string(name) + "\r\n";
    for (const auto& group : groups)
        text += group.code + "\r\n" + group.value + "\r\n";
    return text;
}

inline std::string Drawing(std::initializer_list<std::string> entities)
{
    std::string text;
    for (const auto& entity : entities)
        text += entity;
    return text + "0\r\nEOF\r\n";
}

inline std::string Line(std::string x1, std::string y1, std::string x2, std::string y2)
{
    return Entity(
        "LINE",
        {{"8", "0"}, {"10", x1}, {"20", y1}, {"30", "0"}, {"11", x2}, {"21", y2}, {"31", "0"}});
}

inline std::string Circle(std::string x, std::string y, std::string r)
{
    return Entity("CIRCLE", {{"8", "0"}, {"10", x}, {"20", y}, {"30", "0"}, {"40", r}});
}

inline std::string Arc(std::string x, std::string y, std::string r, std::string start,
                       std::string end)
{
    return Entity(
        "ARC",
        {{"8", "0"}, {"10", x}, {"20", y}, {"30", "0"}, {"40", r}, {"50", start}, {"51", end}});
}

// A POLYLINE, one VERTEX per point with its code 30, and SEQEND.
inline std::string Polyline(std::initializer_list<std::pair<std::string, std::string>> points)
{
    std::string text =
        Entity("POLYLINE", {{"8", "0"}, {"66", "1"}, {"10", "0"}, {"20", "0"}, {"30", "0"}});
    for (const auto& [x, y] : points)
        text += Entity("VERTEX", {{"8", "0"}, {"10", x}, {"20", y}, {"30", "0"}});
    return text + Entity("SEQEND", {{"8", "0"}});
}

using Lines = std::vector<std::string>;

} // namespace vektrano::test
