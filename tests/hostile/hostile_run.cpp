#include "hostile_run.h"

namespace vektrano {

RunResult HostileRun::Convert(std::string_view dxf)
{
    WriteBytes(Path("plan.dxf"), dxf);
    return ConvertPaths(Path("plan.dxf"), Path("plan.scr"));
}

RunResult HostileRun::ConvertPaths(const std::string& dxfPath, const std::string& scrPath)
{
    window_.SetField(Field::Txt_DXF, dxfPath);
    window_.SetField(Field::Txt_SCR, scrPath);
    const std::size_t messagesBefore = window_.Messages().size();
    RunResult result;
    result.outcome = RunConversion(window_, state_, options_);
    result.log = window_.Log();
    result.messages.assign(window_.Messages().begin() + static_cast<long>(messagesBefore),
                           window_.Messages().end());
    // Only a regular file: /dev/full reads as endless zeros.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(scrPath, ignored))
        result.script = ReadBytes(scrPath);
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
