// The whole conversion run on arbitrary bytes. The input is
//
//   flags byte, then up to four field texts each ended by 0x1F
//   (Txt_Offset_X, Txt_Offset_Y, Txt_Layer, Txt_Linienstärke), then the DXF bytes.
//
// A field whose 0x1F is missing keeps the form's default and the rest is the DXF,
// so a plain DXF file behind one flags byte is a valid input. Every input runs
// twice in each mode (classic, then full geometry), with the automatic offset as
// the flags say and then the other way, on
// one Variablen that lives as long as the process: the work slots carry their
// values from input to input, as they do in the program.
//
// Flags: bit 0 automatic offset on the first run; bits 1-4 clear Chk_Line,
// Chk_Arc, Chk_Circle, Chk_Polyline; bit 5 the window closes after as many
// yields as the second byte says (the byte is then not part of the fields);
// bit 6 the locale's separator is ","; bit 7 a layer map comes before the
// fields: one byte for the weld tolerance (0 to 1 mm in 255 steps), then map
// text ended by 0x1E. The map file is parsed as it is (an error is fine), and
// each of its lines on its own: the lines that parse are the rules of two more
// full geometry runs, and the drawing's own layer listing must parse back.

#include "board/layer_map.h"
#include "cli/memory_window.h"
#include "run/conversion_run.h"
#include "run/layer_listing_run.h"
#include "state/variablen.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace vektrano;

[[noreturn]] void Broken(const char* what, std::string_view detail)
{
    std::fprintf(stderr, "invariant broken: %s\n---\n%.*s\n---\n", what,
                 static_cast<int>(std::min<std::size_t>(detail.size(), 4000)), detail.data());
    std::abort();
}

void Expect(bool condition, const char* what, std::string_view detail)
{
    if (!condition)
        Broken(what, detail);
}

const std::string& WorkFolder()
{
    static const std::string folder = [] {
        std::string pattern = "/tmp/vektrano-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            Broken("mkdtemp", std::strerror(errno));
        return pattern;
    }();
    return folder;
}

void WriteWhole(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        Broken("cannot create the DXF file", path);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n <= 0)
            Broken("cannot write the DXF file", path);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(fd);
}

std::string ReadWhole(const std::string& path)
{
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

std::size_t CountLinesStartingWith(std::string_view script, std::string_view prefix)
{
    std::size_t count = 0;
    for (std::size_t begin = 0; begin < script.size();) {
        const std::size_t end = script.find("\r\n", begin);
        if (script.substr(begin, prefix.size()) == prefix)
            ++count;
        if (end == std::string_view::npos)
            break;
        begin = end + 2;
    }
    return count;
}

// A Text line is one command, whatever the DXF string held: "Text '", the string
// with every quote doubled, its closing quote, the orientation and the point, and
// nothing after the ";" that ends it.
bool IsOneTextCommand(std::string_view line)
{
    if (!line.starts_with("Text '"))
        return false;
    std::size_t i = 6;
    for (;; ++i) {
        if (i >= line.size())
            return false; // the string never closes
        if (line[i] != '\'')
            continue;
        if (i + 1 < line.size() && line[i + 1] == '\'') {
            ++i; // a doubled quote stays inside the string
            continue;
        }
        break;
    }
    std::string_view rest = line.substr(i + 1);
    if (!rest.starts_with(" SR") && !rest.starts_with(" SMR"))
        return false;
    const std::size_t open = rest.find(" (");
    return open != std::string_view::npos && rest.ends_with(");") &&
           rest.find_first_of(";'", 0) == rest.size() - 1 &&
           rest.find_first_not_of("SMR0123456789.", 1) == open;
}

void CheckTextLines(std::string_view script)
{
    for (std::size_t begin = 0; begin < script.size();) {
        const std::size_t end = std::min(script.find("\r\n", begin), script.size());
        const std::string_view line = script.substr(begin, end - begin);
        if (line.starts_with("Text"))
            Expect(IsOneTextCommand(line), "a Text line is not one command", line);
        begin = end + 2;
    }
}

void CheckScript(std::string_view script, RunOutcome outcome, const Variablen& state,
                 bool fullGeometry)
{
    std::string lower(script);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    Expect(lower.find("inf") == std::string::npos, "script holds inf", script);
    Expect(lower.find("nan") == std::string::npos, "script holds nan", script);
    // Every line ends with CR LF, and nothing else brings a CR or LF in.
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '\r')
            Expect(i + 1 < script.size() && script[i + 1] == '\n', "lone CR in script", script);
        if (script[i] == '\n')
            Expect(i > 0 && script[i - 1] == '\r', "lone LF in script", script);
    }
    Expect(script.empty() || script.ends_with("\r\n"), "script ends inside a line", script);
    CheckTextLines(script);
    if (!script.empty())
        Expect(script.starts_with("# Trazor generated script file.\r\nGrid mm 0.1;\r\n"
                                  "Set Wire_Bend 2;\r\nLayer "),
               "script does not begin with the header", script);
    if (outcome == RunOutcome::Completed && !fullGeometry) {
        Expect(CountLinesStartingWith(script, "Circle ") ==
                   static_cast<std::size_t>(state.ConvCircle),
               "circle lines and ConvCircle differ", script);
        Expect(CountLinesStartingWith(script, "wire ") == static_cast<std::size_t>(state.ConvArc),
               "arc lines and ConvArc differ", script);
        Expect(CountLinesStartingWith(script, "Wire ") >= static_cast<std::size_t>(state.ConvLine),
               "fewer Wire lines than ConvLine", script);
    }
}

void CheckLog(const MemoryWindow& window, RunOutcome outcome, bool mayCancel, bool fullGeometry)
{
    const std::string& log = window.Log();
    Expect(!window.BusyCursor(), "cursor left busy", log);
    switch (outcome) {
    case RunOutcome::NotStarted: Broken("run did not start with both paths filled", log);
    case RunOutcome::Completed: {
        Expect(window.Messages().empty(), "message box in a completed run", log);
        const std::size_t statistics = log.rfind("Anzahl Linien: ");
        Expect(statistics != std::string::npos, "completed run without statistics", log);
        const std::string_view tail = std::string_view(log).substr(statistics);
        if (fullGeometry) {
            Expect(std::count(tail.begin(), tail.end(), '\n') == 8 && tail.ends_with("\r\n") &&
                       tail.find("\r\nAnzahl Blockreferenzen: ") != std::string_view::npos,
                   "log does not end with the eight statistics lines", log);
            break;
        }
        Expect(std::count(tail.begin(), tail.end(), '\n') == 4 && tail.ends_with("\r\n") &&
                   tail.find("\r\nAnzahl Kreise: ") != std::string_view::npos &&
                   tail.find("\r\nAnzahl Halbkreise: ") != std::string_view::npos &&
                   tail.find("\r\nAnzahl Polyline: ") != std::string_view::npos,
               "log does not end with the four statistics lines", log);
        break;
    }
    case RunOutcome::Stopped:
        if (window.Messages().empty()) {
            Expect(log.ends_with("unbekanntes Format. BEENDE Konvertierung.\r\n"),
                   "stopped without a message or the unknown-format line", log);
        } else {
            Expect(window.Messages().size() == 1, "more than one message box", log);
            const auto& message = window.Messages().front();
            Expect(message.icon == Icon::Critical, "stop without the critical icon", log);
            std::string_view before = log; // the stop text may quote anything from the DXF
            if (message.title == "Fehler") {
                Expect(log.ends_with("\r\n" + message.text + "\r\n"),
                       "stop text is not the log's last line", log);
                before.remove_suffix(message.text.size() + 2);
            }
            Expect(before.find("Anzahl Linien: ") == std::string::npos, "statistics after a stop",
                   log);
            if (message.title != "Fehler")
                Expect(message.title == "Ende nicht gefunden" &&
                           message.text == "Ende nicht gefunden Abbruch",
                       "unexpected message box", message.title + ": " + message.text);
        }
        break;
    case RunOutcome::Cancelled:
        Expect(mayCancel, "cancelled without the window closing", log);
        break;
    }
}

// The line width goes into the script verbatim; letters are kept out of it so that
// an "inf" in the script can only have come from a number. Line breaks stay: the
// run must refuse them itself, which the "no lone CR or LF" check tests.
std::string WidthWithoutLetters(std::string text)
{
    for (char& c : text)
        if (std::isalpha(static_cast<unsigned char>(c)))
            c = '#';
    return text;
}

// The rules of each line that parses on its own: arbitrary text still yields
// rules, where one bad line would refuse the whole file.
LayerMap RulesOfLines(std::string_view text)
{
    LayerMap map;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        auto line = ParseLayerMap(text.substr(0, end), "fuzz");
        if (auto* parsed = std::get_if<LayerMap>(&line))
            map = JoinMaps(std::move(map), std::move(*parsed));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return map;
}

std::optional<double> LayerNumber(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The script of a mapped run: one group per Eagle layer, in ascending order, a
// layer above 100 defined by a plain name just before the group; holes only from
// a drill rule, with a diameter.
void CheckGroups(std::string_view script, const LayerMap& map)
{
    const bool drills = std::any_of(map.rules.begin(), map.rules.end(), [](const LayerRule& r) {
        return r.kind == LayerKind::Holes && r.eagleLayer;
    });
    std::optional<double> previous;
    std::optional<double> defined;
    std::size_t line = 0;
    for (std::size_t begin = 0; begin < script.size(); ++line) {
        const std::size_t end = std::min(script.find("\r\n", begin), script.size());
        const std::string_view text = script.substr(begin, end - begin);
        begin = end + 2;
        if (line < 5)
            continue; // the header, with the field's layer
        if (text.starts_with("Hole ")) {
            Expect(drills, "a hole without a drill rule", script);
            Expect(!text.starts_with("Hole 0 ") && !text.starts_with("Hole -"),
                   "a hole without a diameter", script);
            continue;
        }
        if (!text.starts_with("Layer ") || !text.ends_with(";"))
            continue;
        const std::string_view rest = text.substr(6, text.size() - 7);
        const std::size_t blank = rest.find(' ');
        const auto number = LayerNumber(rest.substr(0, blank));
        Expect(number.has_value(), "a Layer line without a number", script);
        if (blank != std::string_view::npos) {
            const std::string_view name = rest.substr(blank + 1);
            Expect(*number > 100 && !name.empty() &&
                       std::all_of(name.begin(), name.end(),
                                   [](unsigned char c) { return std::isalnum(c) || c == '_'; }),
                   "a layer definition Eagle does not take", script);
            defined = number;
            continue;
        }
        Expect(!previous || *number > *previous, "Eagle layers not ascending, or twice", script);
        Expect(*number <= 100 || defined == number, "a layer above 100 used undefined", script);
        previous = number;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Variablen state; // one for the process, like the program's
    if (size == 0)
        return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const unsigned flags = static_cast<unsigned char>(input[0]);
    input.remove_prefix(1);
    const bool closes = flags & 0x20;
    std::size_t yieldsBeforeClose = 0;
    if (closes && !input.empty()) {
        yieldsBeforeClose = static_cast<unsigned char>(input[0]);
        input.remove_prefix(1);
    }

    std::optional<LayerMap> map;
    double weldTolerance = 0.01;
    if (flags & 0x80 && !input.empty()) {
        weldTolerance = static_cast<unsigned char>(input[0]) / 255.0;
        input.remove_prefix(1);
        const std::size_t end = input.find('\x1e');
        if (end != std::string_view::npos) {
            const std::string_view text = input.substr(0, end);
            const auto whole = ParseLayerMap(text, "fuzz");
            if (const auto* error = std::get_if<std::string>(&whole))
                Expect(error->starts_with("Layer-Zuordnung fuzz, Zeile "),
                       "a map error that names no line", *error);
            map = RulesOfLines(text);
            input.remove_prefix(end + 1);
        }
    }

    // Field texts and boxes as the input sets them; the paths are the work folder's.
    const std::string dxfPath = WorkFolder() + "/plan.dxf";
    const std::string scrPath = WorkFolder() + "/plan.scr";
    std::string fieldTexts[4] = {"", "", "20", "0.01"};
    const Field fields[] = {Field::Txt_Offset_X, Field::Txt_Offset_Y, Field::Txt_Layer,
                            Field::Txt_Linienstärke};
    for (std::string& text : fieldTexts) {
        const std::size_t end = input.find('\x1f');
        if (end == std::string_view::npos)
            break;
        text = input.substr(0, end);
        input.remove_prefix(end + 1);
    }
    fieldTexts[3] = WidthWithoutLetters(fieldTexts[3]);
    WriteWhole(dxfPath, input);

    if (map) {
        // What --list-layers prints for the drawing is a map the CLI takes back.
        const auto listing = ReadLayerListing(dxfPath);
        if (const auto* layers = std::get_if<LayerListing>(&listing)) {
            const std::string text = LayerListingMap(*layers, "plan.dxf");
            const auto parsed = ParseLayerMap(text, "liste");
            Expect(std::holds_alternative<LayerMap>(parsed), "the layer listing does not parse",
                   text);
            Expect(std::get<LayerMap>(parsed).rules.size() == layers->layers.size(),
                   "the layer listing lost a layer", text);
        }
    }

    for (int run = 0; run < (map ? 6 : 4); ++run) {
        const bool fullGeometry = run >= 2;
        const bool mapped = run >= 4;
        // A fresh window per run keeps each run's messages apart; the offset fields
        // carry over, as the automatic offset leaves them in the form.
        MemoryWindow window;
        for (int i = 0; i < 4; ++i)
            window.SetField(fields[i], fieldTexts[i]);
        window.SetField(Field::Txt_DXF, dxfPath);
        window.SetField(Field::Txt_SCR, scrPath);
        const CheckBox boxes[] = {CheckBox::Chk_Line, CheckBox::Chk_Arc, CheckBox::Chk_Circle,
                                  CheckBox::Chk_Polyline};
        for (int i = 0; i < 4; ++i)
            window.SetCheckBox(boxes[i], flags & (2u << i) ? 0 : 1);
        const bool autoOffset = (flags & 1) != (run % 2 == 1);
        window.SetCheckBox(CheckBox::Chk_Auto_Offset, autoOffset ? 1 : 0);
        if (flags & 0x40)
            window.decimalSeparator = ',';
        std::size_t yields = 0;
        window.onYield = [&] { return !closes || ++yields <= yieldsBeforeClose; };
        window.onProgress = [](float value) {
            if (!(value >= 0 && value <= 100))
                Broken("progress outside 0..100", std::to_string(value));
        };

        ConversionOptions options;
        options.fullGeometry = fullGeometry;
        if (mapped) {
            options.layerMap = map;
            options.layerMapOrigin = "fuzz";
            options.weldTolerance = weldTolerance;
        }
        ::unlink(scrPath.c_str());
        const RunOutcome outcome = RunConversion(window, state, options);
        CheckLog(window, outcome, closes, fullGeometry);
        const std::string script = ReadWhole(scrPath);
        CheckScript(script, outcome, state, fullGeometry);
        if (mapped)
            CheckGroups(script, *map);
        // This mode's script is complete or absent.
        if (fullGeometry && outcome == RunOutcome::Stopped && !window.Messages().empty())
            Expect(::access(scrPath.c_str(), F_OK) != 0, "a stopped run left its script",
                   window.Log());
        Expect(ReadWhole(dxfPath) == input, "the DXF file changed", input);
        fieldTexts[0] = window.ReadField(Field::Txt_Offset_X);
        fieldTexts[1] = window.ReadField(Field::Txt_Offset_Y);
    }
    return 0;
}
