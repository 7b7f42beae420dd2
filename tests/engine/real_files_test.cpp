#include "engine_test_support.h"

#include <map>
#include <set>

namespace vektrano::test {
namespace {

fs::path SamplesFolder() { return VEKTRANO_DXF_SAMPLES; }

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// A reader of its own, built on groups rather than line ranges: every code line
// "0" starts a group named by its value. It is only meant to count, and to tell
// the simple drawings (where every entity holds its trigger code exactly once and
// no entity name appears outside a "0" group) from the ones where carried slots
// and overlapping ranges make counting by hand pointless.
struct Census
{
    long long lines = 0, circles = 0, arcs = 0, polylines = 0;
    long long segments = 0;
    bool simple = true;
};

std::vector<std::string> CutLikeTheLoader(const std::string& text)
{
    for (std::string_view separator : {"\r\n", "\r", "\n"}) {
        std::vector<std::string> lines;
        std::size_t start = 0, at;
        while ((at = text.find(separator, start)) != std::string::npos) {
            lines.push_back(text.substr(start, at - start));
            start = at + separator.size();
        }
        if (!lines.empty()) {
            lines.push_back(text.substr(start));
            return lines;
        }
    }
    return {};
}

Census Count(const std::string& text)
{
    const std::vector<std::string> lines = CutLikeTheLoader(text);
    struct Group
    {
        std::string name;
        std::multiset<std::string> codes;
    };
    std::vector<Group> groups;
    static const std::set<std::string> kKinds = {"LINE",   "ARC",    "CIRCLE",
                                                 "VERTEX", "SEQEND", "POLYLINE"};
    Census census;
    // lines[k] is file line k + 1: codes at even k, values at odd k.
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string trimmed = Trim(lines[k]);
        if (trimmed == "EOF")
            break;
        if (k % 2 == 1) {
            if (kKinds.count(trimmed) && Trim(lines[k - 1]) != "0")
                census.simple = false;
            continue;
        }
        if (trimmed == "0" && k + 1 < lines.size())
            groups.push_back({Trim(lines[k + 1]), {}});
        else if (!groups.empty())
            groups.back().codes.insert(trimmed);
    }
    bool inChain = false;
    long long chainVertices = 0;
    for (const Group& group : groups) {
        auto once = [&](const char* code) {
            if (group.codes.count(code) != 1)
                census.simple = false;
        };
        if (group.name == "LINE") {
            ++census.lines;
            once("21");
        } else if (group.name == "CIRCLE") {
            ++census.circles;
            once("40");
        } else if (group.name == "ARC") {
            ++census.arcs;
            once("51");
        } else if (group.name == "POLYLINE") {
            ++census.polylines;
            if (inChain)
                census.simple = false; // a chain without SEQEND
            inChain = true;
            chainVertices = 0;
        } else if (group.name == "VERTEX") {
            if (!inChain)
                census.simple = false;
            once("30");
            ++chainVertices;
        } else if (group.name == "SEQEND" && inChain) {
            census.segments += std::max(0LL, chainVertices - 1);
            inChain = false;
        }
    }
    if (inChain)
        census.simple = false;
    return census;
}

// "Anzahl Linien: 3\t\t davon konvertiert: 2" -> {3, 2}
std::pair<long long, long long> StatisticsRow(const std::string& log, const std::string& label)
{
    const auto at = log.rfind(label);
    if (at == std::string::npos)
        return {-1, -1};
    std::size_t end = 0;
    const long long met = std::stoll(log.substr(at + label.size()), &end);
    const auto written = log.find(" davon konvertiert: ", at);
    return {met, std::stoll(log.substr(written + 20))};
}

long long CountStarting(const Lines& lines, std::string_view word)
{
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& line) { return line.starts_with(word); });
}

TEST(RealFiles, EveryDrawingEndsCleanlyAndItsReportAgreesWithTheScript)
{
    if (!fs::is_directory(SamplesFolder()))
        GTEST_SKIP() << "no sample drawings at " << SamplesFolder();
    int files = 0, simple = 0;
    for (const auto& entry : fs::directory_iterator(SamplesFolder())) {
        if (entry.path().extension() != ".dxf")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        const std::string text = ReadBytes(entry.path());
        Conversion run;
        run.window.SetField(Field::Txt_DXF, entry.path().string());
        run.RunAgain();
        ASSERT_TRUE(run.outcome == RunOutcome::Completed || run.outcome == RunOutcome::Stopped);
        EXPECT_FALSE(run.window.BusyCursor());
        if (run.outcome == RunOutcome::Stopped) {
            const bool unknownFormat =
                run.Log().ends_with("unbekanntes Format. BEENDE Konvertierung.\r\n");
            EXPECT_TRUE(unknownFormat || !run.window.Messages().empty()) << run.Log();
            continue;
        }
        const Lines body = run.Body();
        const Census census = Count(text);
        const auto lines = StatisticsRow(run.Log(), "Anzahl Linien: ");
        const auto circles = StatisticsRow(run.Log(), "Anzahl Kreise: ");
        const auto arcs = StatisticsRow(run.Log(), "Anzahl Halbkreise: ");
        const auto polylines = StatisticsRow(run.Log(), "Anzahl Polyline: ");
        EXPECT_EQ(circles.second, CountStarting(body, "Circle "));
        EXPECT_EQ(arcs.second, CountStarting(body, "wire "));
        EXPECT_EQ(static_cast<long long>(body.size()), CountStarting(body, "Wire ") +
                                                           CountStarting(body, "wire ") +
                                                           CountStarting(body, "Circle "));
        if (!census.simple)
            continue;
        ++simple;
        EXPECT_EQ(lines, std::make_pair(census.lines, census.lines));
        EXPECT_EQ(circles, std::make_pair(census.circles, census.circles));
        EXPECT_EQ(arcs, std::make_pair(census.arcs, census.arcs));
        EXPECT_EQ(polylines.first, census.polylines);
        EXPECT_EQ(CountStarting(body, "Wire "), census.lines + census.segments);
        EXPECT_EQ(static_cast<long long>(body.size()),
                  census.lines + census.circles + census.arcs + census.segments);
    }
    EXPECT_GT(files, 0);
    EXPECT_GT(simple, files / 2) << "the census finds too few simple drawings to be of use";
}

struct HandCheck
{
    const char* file;
    std::size_t line; // 0-based in the script's drawing lines
    const char* expected;
    std::size_t lineCount;
};

// Values read from the files with a text editor and worked out by hand.
TEST(RealFiles, SelectedScriptLinesMatchTheDrawing)
{
    if (!fs::is_directory(SamplesFolder()))
        GTEST_SKIP() << "no sample drawings at " << SamplesFolder();
    const HandCheck checks[] = {
#include "real_files_hand_checks.inc"
    };
    for (const auto& c : checks) {
        SCOPED_TRACE(c.file);
        Conversion run;
        run.window.SetField(Field::Txt_DXF, (SamplesFolder() / c.file).string());
        ASSERT_EQ(run.RunAgain(), RunOutcome::Completed) << run.Log();
        const Lines body = run.Body();
        EXPECT_EQ(body.size(), c.lineCount);
        ASSERT_LT(c.line, body.size());
        EXPECT_EQ(body[c.line], c.expected);
    }
}

} // namespace
} // namespace vektrano::test
