#include "script_target.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace vektrano {

namespace {

namespace fs = std::filesystem;

// As many as the system follows when it opens a path.
constexpr int kMaxLinks = 40;
// Leaves room for the dot and the suffix in the 255 bytes of a folder entry.
constexpr std::size_t kMaxStem = 200;

struct Destination
{
    fs::path file;                  // the path with its links followed
    bool direct = false;            // a device, a pipe, a folder: written through the path
    std::optional<struct stat> old; // the regular file there now
};

// What the path names once its links are followed. A link that leads nowhere
// names the file it would create, so the link stays a link.
int Resolve(const std::string& path, Destination& where)
{
    fs::path file = path;
    for (int links = 0;; ++links) {
        struct stat info
        {
        };
        if (::lstat(file.c_str(), &info) != 0) {
            if (errno != ENOENT)
                return errno;
            break;
        }
        if (!S_ISLNK(info.st_mode)) {
            if (S_ISREG(info.st_mode))
                where.old = info;
            else
                where.direct = true;
            break;
        }
        if (links == kMaxLinks)
            return ELOOP;
        std::error_code error;
        const fs::path target = fs::read_symlink(file, error);
        if (error)
            return error.value();
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    where.file = file;
    // "folder/" names no file a replacement could be put beside.
    if (!file.has_filename())
        where.direct = true;
    return 0;
}

// A hidden file of a name nobody else holds (O_EXCL), in the folder of the file
// it is to replace, so that the rename cannot cross file systems.
int CreateBeside(const Destination& where, std::string& temporary, int& fd)
{
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::minstd_rand random(static_cast<std::minstd_rand::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid()));
    std::string stem = ".";
    stem += where.file.filename().string().substr(0, kMaxStem);
    stem += '.';
    // A new script gets what any new file gets, 0666 less the umask; an old one's
    // mode is set below, once the file is ours alone.
    const mode_t mode = where.old ? 0600 : 0666;
    fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        if (attempt == 100)
            return EEXIST;
        std::string name = stem;
        for (int i = 0; i < 6; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        temporary = (where.file.parent_path() / name).string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (where.old) {
        // Root replacing a user's script hands it back to the user. Both are
        // attempts: a file system without owners or modes still takes the script.
        const struct stat& old = *where.old;
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
        }
    }
    return 0;
}

// Putting the script in place frees the old one's blocks, up to a fifth of a
// second for hundreds of MB: the rename runs on a thread of its own and pause is
// called while it waits.
int Rename(const std::string& from, const std::string& to, const std::function<void()>& pause)
{
    const auto rename = [&from, &to] {
        return ::rename(from.c_str(), to.c_str()) != 0 ? errno : 0;
    };
    if (!pause)
        return rename();
    std::future<int> renaming;
    try {
        renaming = std::async(std::launch::async, rename);
    } catch (const std::system_error&) {
        return rename(); // no thread to be had: wait here
    }
    while (renaming.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        pause();
    return renaming.get();
}

} // namespace

int ScriptTarget::Open(const std::string& path, Way way, const std::function<void()>& pause)
{
    Drop();
    path_ = path;
    replaced_.clear();
    inPlace_.reset();
    folderRefused_ = false;
    if (way == Way::Replacing) {
        Destination where;
        if (const int error = Resolve(path, where))
            return error;
        if (!where.direct) {
            // A script the user may not write is refused as in place, not replaced.
            if (where.old) {
                const int probe = ::open(where.file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (probe < 0)
                    return errno;
                ::close(probe);
            }
            int fd = -1;
            if (const int error = CreateBeside(where, temporary_, fd)) {
                temporary_.clear();
                folderRefused_ = where.old.has_value();
                return error;
            }
            struct stat info
            {
            };
            ::fstat(fd, &info);
            temporaryId_ = {info.st_dev, info.st_ino};
            replaced_ = where.file.string();
            script_.Adopt(fd);
            return 0;
        }
    }
    if (const int error = script_.Open(path, pause))
        return error;
    struct stat info
    {
    };
    if (way == Way::InPlace && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        inPlace_ = FileId{info.st_dev, info.st_ino};
    return 0;
}

int ScriptTarget::Finish(const std::function<void()>& pause)
{
    if (!script_.Close(pause)) {
        RemoveTemporary();
        return script_.Error();
    }
    if (temporary_.empty())
        return 0;
    const int error = Rename(temporary_, replaced_, pause);
    if (error != 0)
        RemoveTemporary();
    temporary_.clear();
    return error;
}

int ScriptTarget::Drop()
{
    script_.Close();
    if (temporary_.empty())
        return script_.Error();
    RemoveTemporary();
    return 0;
}

void ScriptTarget::Abandon()
{
    Drop();
    if (!inPlace_)
        return;
    struct stat info
    {
    };
    // Only the file the run opened: a pipe or a device stays, and so does a file
    // put in its place meanwhile.
    if (::stat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_dev == inPlace_->device && info.st_ino == inPlace_->inode)
        ::unlink(path_.c_str());
    inPlace_.reset();
}

void ScriptTarget::RemoveTemporary()
{
    if (temporary_.empty())
        return;
    struct stat info
    {
    };
    if (::lstat(temporary_.c_str(), &info) == 0 && info.st_dev == temporaryId_.device &&
        info.st_ino == temporaryId_.inode)
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace vektrano
