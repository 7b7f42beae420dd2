#include "hostile_run.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vektrano {

std::string Dxf(std::initializer_list<std::string_view> lines, std::string_view eol)
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += eol;
    }
    return text;
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void HostileRun::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vektrano-hostile-XXXXXX");
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << errno;
    folder_ = pattern;
}

void HostileRun::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

RunResult HostileRun::Convert(std::string_view dxf)
{
    WriteFile(Path("plan.dxf"), dxf);
    return ConvertPaths(Path("plan.dxf"), Path("plan.scr"));
}

RunResult HostileRun::ConvertPaths(const std::string& dxfPath, const std::string& scrPath)
{
    window_.SetField(Field::Txt_DXF, dxfPath);
    window_.SetField(Field::Txt_SCR, scrPath);
    const std::size_t messagesBefore = window_.Messages().size();
    RunResult result;
    result.outcome = RunConversion(window_, state_);
    result.log = window_.Log();
    result.messages.assign(window_.Messages().begin() + static_cast<long>(messagesBefore),
                           window_.Messages().end());
    // Only a regular file: /dev/full reads as endless zeros.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(scrPath, ignored))
        result.script = ReadFile(scrPath);
    result.busyCursor = window_.BusyCursor();
    return result;
}

void HostileRun::ExpectErrorStop(const RunResult& result, std::string_view text)
{
    EXPECT_EQ(result.outcome, RunOutcome::Stopped);
    ASSERT_EQ(result.messages.size(), 1u) << result.log;
    EXPECT_EQ(result.messages[0].text, text);
    EXPECT_EQ(result.messages[0].title, "Fehler");
    EXPECT_EQ(result.messages[0].icon, Icon::Critical);
    EXPECT_TRUE(result.log.ends_with("\r\n" + std::string(text) + "\r\n")) << result.log;
    EXPECT_EQ(result.log.find("Anzahl Linien"), std::string::npos) << result.log;
    EXPECT_FALSE(result.busyCursor);
}

} // namespace vektrano
