#include "line_loading.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vektrano {

namespace {

struct FileDescriptor
{
    int fd = -1;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

int LoadDxfFile(const std::string& path, std::string& text, const std::function<void()>& pause)
{
    text.clear();
    // Opened without blocking, so a named pipe nobody writes to cannot hang the
    // window; reading then blocks again as usual.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return errno;
    if (::fcntl(file.fd, F_SETFL, 0) != 0)
        return errno;
    struct stat info
    {
    };
    if (::fstat(file.fd, &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    std::size_t used = 0;
    // A regular file is read straight into a text of its size; anything else (a
    // pipe, a device) grows as it delivers. A probe read past the expected end
    // tells the end of the file without doubling a buffer of hundreds of MB. The
    // text grows piece by piece, each piece filled by its read before pause is
    // called, so no stretch of the load is longer than one piece.
    const std::size_t expected = S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0;
    text.reserve(expected);
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    char probe[1 << 16];
    for (;;) {
        if (pause && used != 0)
            pause();
        if (used == text.size() && used < expected)
            text.resize(used + std::min(kPiece, expected - used));
        const bool full = used == text.size();
        char* target = full ? probe : text.data() + used;
        const std::size_t room = full ? sizeof probe : text.size() - used;
        const ssize_t got = ::read(file.fd, target, room);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            text.clear();
            return error;
        }
        if (got == 0)
            break;
        if (full)
            text.append(probe, static_cast<std::size_t>(got));
        used += static_cast<std::size_t>(got);
    }
    text.resize(used);
    text.shrink_to_fit();
    return 0;
}

bool CutLines(Variablen& state, RunLog& log, const std::function<void()>& pause)
{
    LineTable& lines = state.Lines;
    lines.Cut(state.FileText, "\r\n", pause);
    log.Append(std::to_string(lines.SeparatorCount()) + " Zeilen der DXF Datei gelesen." +
               std::string(CRLF) + std::string(CRLF));
    struct Fallback
    {
        const char* message;
        const char* separator;
    };
    for (const Fallback& fallback :
         {Fallback{"Importierte Zeilen mit CRLF = 0, versuche CR", "\r"},
          Fallback{"Importierte Zeilen mit CR = 0, versuche LF", "\n"}}) {
        if (lines.SeparatorCount() != 0)
            break;
        log.Append(std::string(fallback.message) + std::string(CRLF));
        lines.Cut(state.FileText, fallback.separator, pause);
        log.Append("Gelesene Zeilen der DXF Datei: " + std::to_string(lines.SeparatorCount()) +
                   std::string(CRLF) + std::string(CRLF));
    }
    return lines.SeparatorCount() != 0;
}

void ShiftLines(Variablen& state, WindowOperations& window)
{
    // The table only changes how it counts positions; no line moves. The bar still
    // climbs as the lines would be moved one by one: after the j-th of top moves
    // it stands at j * 100 / top.
    const std::size_t oldTop = state.Lines.SeparatorCount();
    state.Lines.Shift();
    const std::size_t top = oldTop + 1;
    std::size_t lastStep = 0;
    for (int percent = 0; percent <= 100; ++percent) {
        // The first move whose bar value reaches this whole percent.
        std::size_t step = (static_cast<unsigned long long>(percent) * top + 99) / 100;
        if (step == 0)
            step = 1;
        if (step <= lastStep)
            continue;
        lastStep = step;
        window.SetProgress(static_cast<float>(static_cast<double>(step) * 100 / top));
    }
    window.SetProgress(0);
}

} // namespace vektrano
