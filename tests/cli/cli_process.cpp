#include "cli_process.h"

#include <csignal>
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

namespace {

std::filesystem::path OutPath(const std::filesystem::path& workDir) { return workDir / ".stdout"; }
std::filesystem::path ErrPath(const std::filesystem::path& workDir) { return workDir / ".stderr"; }

// Starts program in workDir; standard error goes to errFd, or to a file when
// it is -1.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::filesystem::path& workDir, int errFd, int closeInChild)
{
    const std::string outPath = OutPath(workDir).string();
    const std::string errPath = ErrPath(workDir).string();
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cArgs;
    for (auto& a : argv)
        cArgs.push_back(a.data());
    cArgs.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err =
            errFd >= 0 ? errFd : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (closeInChild >= 0)
            ::close(closeInChild);
        if (::chdir(workDir.c_str()) != 0)
            ::_exit(126);
        ::execv(cArgs[0], cArgs.data());
        ::_exit(127);
    }
    return pid;
}

ProcessResult Wait(pid_t pid, const std::filesystem::path& workDir, const std::string* err)
{
    ProcessResult result;
    // A program that should have exited but waits (a window that opened) is ended
    // after a minute, so the test fails instead of hanging.
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 6000)
            ::kill(pid, SIGKILL);
        ::usleep(10000);
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = ReadBytes(OutPath(workDir));
    result.err = err ? *err : ReadBytes(ErrPath(workDir));
    std::filesystem::remove(OutPath(workDir));
    std::filesystem::remove(ErrPath(workDir));
    return result;
}

} // namespace

ProcessResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& workDir,
                     bool errToTerminal)
{
    if (!errToTerminal)
        return RunProgram(VEKTRANO_CLI_PATH, args, workDir);
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    const pid_t pid = Spawn(VEKTRANO_CLI_PATH, args, workDir, slave, master);
    ::close(slave);
    const std::string err = ReadAll(master);
    ::close(master);
    return Wait(pid, workDir, &err);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workDir)
{
    return Wait(Spawn(program, args, workDir, -1, -1), workDir, nullptr);
}

StartedCli StartCli(const std::vector<std::string>& args, const std::filesystem::path& workDir)
{
    return {Spawn(VEKTRANO_CLI_PATH, args, workDir, -1, -1), workDir};
}

ProcessResult FinishCli(const StartedCli& cli) { return Wait(cli.pid, cli.workDir, nullptr); }

bool WaitUntilOpen(int pid, const std::filesystem::path& file)
{
    const std::filesystem::path proc = "/proc/" + std::to_string(pid);
    const auto wanted = std::filesystem::weakly_canonical(file);
    const auto cli = std::filesystem::weakly_canonical(VEKTRANO_CLI_PATH);
    for (int tries = 0; tries < 1000; ++tries) {
        std::error_code error;
        // Before its exec the child is still a copy of the caller, descriptors and all.
        if (std::filesystem::read_symlink(proc / "exe", error) != cli) {
            ::usleep(10000);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(proc / "fd", error))
            if (std::filesystem::read_symlink(entry.path(), error) == wanted)
                return true;
        ::usleep(10000);
    }
    return false;
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
