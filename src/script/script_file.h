#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vektrano {

// The Eagle script being written: lines go through one large buffer straight to
// the file, so a script is never held whole in memory. A failed write is kept and
// reported by Failed(); nothing is written after it, so a full disk cannot pass
// for a finished script.
class ScriptFile
{
public:
    ScriptFile();
    // A file written in pieces of at most bufferSize bytes (at least 4 KiB).
    explicit ScriptFile(std::size_t bufferSize);
    ~ScriptFile();
    ScriptFile(const ScriptFile&) = delete;
    ScriptFile& operator=(const ScriptFile&) = delete;

    // Creates the file or empties an existing one, calling pause (when given)
    // between the steps of emptying a large one. Returns 0 or the system's error
    // number.
    int Open(const std::string& path, const std::function<void()>& pause = {});
    // Takes over a file opened for writing elsewhere, new and empty.
    void Adopt(int fd);
    bool IsOpen() const { return fd_ >= 0; }

    // Pieces of the current line; EndLine() ends it with CR LF.
    void Append(std::string_view text)
    {
        if (text.size() > capacity_ - used_)
            AppendLarge(text);
        else {
            text.copy(buffer_.get() + used_, text.size());
            used_ += text.size();
        }
    }
    void AppendNumber(double value);
    void EndLine() { Append("\r\n"); }
    void WriteLine(std::string_view text)
    {
        Append(text);
        EndLine();
    }

    // Writes the buffer out. Returns false once any write has failed.
    bool Flush();
    // Flushes and closes; false when a write or the close failed. Safe to call
    // twice. While the system closes the file, pause (when given) is called every
    // few milliseconds.
    bool Close(const std::function<void()>& pause = {});

    bool Failed() const { return error_ != 0; }
    int Error() const { return error_; }

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;
    int Empty(const std::function<void()>& pause);
    void AppendLarge(std::string_view text);
    void WriteOut(const char* data, std::size_t size);

    int fd_ = -1;
    int error_ = 0;
    std::size_t capacity_ = kBufferSize;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

// The five lines every script begins with, on the given layer.
void WriteScriptHeader(ScriptFile& script, double layer);

} // namespace vektrano
