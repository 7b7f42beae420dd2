#include "spill_file.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace vektrano {

namespace {

constexpr std::size_t kSpillBuffer = std::size_t{64} << 10;

} // namespace

SpillFile::SpillFile()
    : file_(kSpillBuffer)
{}

SpillFile::~SpillFile()
{
    if (readFd_ >= 0)
        ::close(readFd_);
}

int SpillFile::Open()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    std::string pattern = (error ? std::filesystem::path("/tmp") : folder) / "vektrano-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return errno;
    // Unlinked at once: the file lives as long as its descriptors.
    ::unlink(pattern.c_str());
    readFd_ = ::dup(fd);
    if (readFd_ < 0) {
        const int failure = errno;
        ::close(fd);
        return failure;
    }
    file_.Adopt(fd);
    return 0;
}

int SpillFile::CopyTo(ScriptFile& script, const std::function<void()>& pause)
{
    if (!file_.Flush())
        return file_.Error();
    char piece[1 << 16];
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(readFd_, piece, sizeof piece, at);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        script.Append(std::string_view(piece, static_cast<std::size_t>(got)));
        at += got;
        if (pause && at % (off_t{16} << 20) < got)
            pause();
    }
}

} // namespace vektrano
