#include "script_file.h"

#include "number_rules.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vektrano {

ScriptFile::ScriptFile()
    : buffer_(new char[kBufferSize])
{}

ScriptFile::ScriptFile(std::size_t bufferSize)
    : capacity_(std::max<std::size_t>(bufferSize, 4096))
    , buffer_(new char[capacity_])
{}

ScriptFile::~ScriptFile() { Close(); }

int ScriptFile::Open(const std::string& path, const std::function<void()>& pause)
{
    Close();
    error_ = 0;
    used_ = 0;
    // Without blocking: a named pipe with no reader fails at once instead of
    // hanging the window. Writes block again as usual.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0)
        return errno;
    if (const int error = ::fcntl(fd_, F_SETFL, 0) != 0 ? errno : Empty(pause)) {
        ::close(fd_);
        fd_ = -1;
        return error;
    }
    return 0;
}

void ScriptFile::Adopt(int fd)
{
    Close();
    error_ = 0;
    used_ = 0;
    fd_ = fd;
}

// What O_TRUNC would do, in steps: freeing the blocks of an old script of hundreds
// of MB at once takes up to a fifth of a second, and the window may repaint between
// the steps. A pipe or a device is left as O_TRUNC leaves it.
int ScriptFile::Empty(const std::function<void()>& pause)
{
    struct stat info
    {
    };
    if (::fstat(fd_, &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return 0;
    constexpr off_t kStep = off_t{16} << 20;
    for (off_t size = info.st_size; size > 0;) {
        size = size > kStep ? size - kStep : 0;
        if (::ftruncate(fd_, size) != 0)
            return errno;
        if (size > 0 && pause)
            pause();
    }
    return 0;
}

void ScriptFile::AppendNumber(double value)
{
    if (capacity_ - used_ < kMaxNumberText)
        Flush();
    used_ = static_cast<std::size_t>(WriteNumberText(buffer_.get() + used_, value) - buffer_.get());
}

void ScriptFile::AppendLarge(std::string_view text)
{
    Flush();
    if (text.size() <= capacity_) {
        text.copy(buffer_.get(), text.size());
        used_ = text.size();
    } else {
        WriteOut(text.data(), text.size());
    }
}

void ScriptFile::WriteOut(const char* data, std::size_t size)
{
    while (size > 0 && error_ == 0) {
        if (fd_ < 0) {
            error_ = EBADF;
            break;
        }
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            break;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

bool ScriptFile::Flush()
{
    WriteOut(buffer_.get(), used_);
    used_ = 0;
    return error_ == 0;
}

namespace {

int CloseFile(int fd) { return ::close(fd) != 0 ? errno : 0; }

// A file system may write the whole file out at its last close: ext4 does for a
// file that was emptied and written again (an eighth of a second for a script of
// 150 MB), NFS always. The close then runs on a thread of its own and pause is
// called while it waits.
int CloseFile(int fd, const std::function<void()>& pause)
{
    std::future<int> closing;
    try {
        closing = std::async(std::launch::async, [fd] { return CloseFile(fd); });
    } catch (const std::system_error&) {
        return CloseFile(fd); // no thread to be had: wait here
    }
    while (closing.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        pause();
    return closing.get();
}

} // namespace

bool ScriptFile::Close(const std::function<void()>& pause)
{
    if (fd_ < 0)
        return error_ == 0;
    Flush();
    const int error = pause ? CloseFile(fd_, pause) : CloseFile(fd_);
    if (error != 0 && error_ == 0)
        error_ = error;
    fd_ = -1;
    return error_ == 0;
}

void WriteScriptHeader(ScriptFile& script, double layer)
{
    script.WriteLine("# Trazor generated script file.");
    script.WriteLine("Grid mm 0.1;");
    script.WriteLine("Set Wire_Bend 2;");
    script.Append("Layer ");
    script.AppendNumber(layer);
    script.WriteLine(";");
    script.WriteLine("Change Font Vector;");
}

} // namespace vektrano
