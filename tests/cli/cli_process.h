#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vektrano::test {

struct ProcessResult
{
    int exitCode = -1; // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs the built vektrano-cli with the arguments, standard input empty, standard
// output and error captured through files in the work folder (so neither is a
// terminal). With errToTerminal, standard error is a pseudo terminal instead.
ProcessResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                     bool errToTerminal = false);

// The same for another program of the build, standard error to a file.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir);

// vektrano-cli started in the background, its output going to files in the
// work folder until FinishCli waits for it.
struct StartedCli
{
    int pid = -1;
    std::filesystem::path workDir;
};
StartedCli StartCli(const std::vector<std::string>& args, const std::filesystem::path& workDir);
ProcessResult FinishCli(const StartedCli& cli);

// Waits up to ten seconds until the process holds the file open; false if it
// never did.
bool WaitUntilOpen(int pid, const std::filesystem::path& file);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Joins DXF lines with CR LF, a CR LF after the last one too.
std::string Dxf(const std::vector<std::string>& lines);

} // namespace vektrano::test
