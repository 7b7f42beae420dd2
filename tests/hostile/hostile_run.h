#pragma once

#include "cli/memory_window.h"
#include "run/conversion_run.h"
#include "state/variablen.h"
#include "support/dxf_text.h"
#include "support/files.h"

#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vektrano {

using test::Dxf;
using test::kHeader;
using test::ReadBytes;
using test::WriteBytes;

struct RunResult
{
    RunOutcome outcome = RunOutcome::NotStarted;
    std::string log;
    std::vector<MemoryWindow::Message> messages;
    std::string script;
    bool busyCursor = false;
};

// A run against files in a fresh temporary folder, removed afterwards. The
// window and the shared state live for the whole test, like the program's.
class HostileRun : public ::testing::Test
{
protected:
    std::string Path(std::string_view name) const { return (folder_ / name).string(); }

    // Writes dxf to plan.dxf and converts it into plan.scr.
    RunResult Convert(std::string_view dxf);
    // Converts whatever the window's path fields name; script read from scrPath.
    RunResult ConvertPaths(const std::string& dxfPath, const std::string& scrPath);

    // The run stopped with the message box T, title "Fehler", T as the log's last
    // line and no statistics.
    static void ExpectErrorStop(const RunResult& result, std::string_view text);

    test::TempDir folder_;
    MemoryWindow window_;
    Variablen state_;
    ConversionOptions options_;
};

} // namespace vektrano
