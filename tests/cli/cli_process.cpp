#include "cli_process.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <pty.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vektrano::test {

namespace {

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return text; // a pty master reads EIO once the child has gone
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

ProcessResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                     bool errToTerminal)
{
    const std::string outPath = (workDir / ".stdout").string();
    const std::string errPath = (workDir / ".stderr").string();
    std::vector<std::string> argv{VEKTRANO_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cArgs;
    for (auto& a : argv)
        cArgs.push_back(a.data());
    cArgs.push_back(nullptr);

    int master = -1, slave = -1;
    if (errToTerminal && ::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err =
            errToTerminal ? slave : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (master >= 0)
            ::close(master);
        if (::chdir(workDir.c_str()) != 0)
            ::_exit(126);
        ::execv(cArgs[0], cArgs.data());
        ::_exit(127);
    }
    ProcessResult result;
    if (errToTerminal) {
        ::close(slave);
        result.err = ReadAll(master);
        ::close(master);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = ReadBytes(outPath);
    if (!errToTerminal)
        result.err = ReadBytes(errPath);
    std::filesystem::remove(outPath);
    std::filesystem::remove(errPath);
    return result;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Dxf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace vektrano::test
