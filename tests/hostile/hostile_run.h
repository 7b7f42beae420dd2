#pragma once

#include "cli/memory_window.h"
#include "run/conversion_run.h"
#include "state/variablen.h"

#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vektrano {

inline constexpr std::string_view kHeader = "# Trazor generated script file.\r\n"
                                            "Grid mm 0.1;\r\n"
                                            "Set Wire_Bend 2;\r\n"
                                            "Layer 20;\r\n"
                                            "Change Font Vector;\r\n";

// Lines each ended by eol.
std::string Dxf(std::initializer_list<std::string_view> lines, std::string_view eol = "\r\n");

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);

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
    void SetUp() override;
    void TearDown() override;

    std::string Path(std::string_view name) const { return folder_ + "/" + std::string(name); }

    // Writes dxf to plan.dxf and converts it into plan.scr.
    RunResult Convert(std::string_view dxf);
    // Converts whatever the window's path fields name; script read from scrPath.
    RunResult ConvertPaths(const std::string& dxfPath, const std::string& scrPath);

    // The run stopped with the message box T, title "Fehler", T as the log's last
    // line and no statistics.
    static void ExpectErrorStop(const RunResult& result, std::string_view text);

    std::string folder_;
    MemoryWindow window_;
    Variablen state_;
};

} // namespace vektrano
