#pragma once

#include "script/script_file.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace vektrano {

// Where a run writes its script, and what is left at the path when the run does
// not reach its end. Every function returns 0 or the system's error number.
class ScriptTarget
{
public:
    enum class Way {
        // The path is opened and emptied, and the script grows there: a run that
        // stops keeps what it wrote (the classic mode).
        InPlace,
        // A path naming a regular file, or nothing yet, gets a hidden file beside
        // the file it names (a symbolic link followed), which takes the path's
        // place only when complete: a run that does not finish leaves the path as
        // it was. A device or a pipe is written directly and never removed.
        Replacing,
    };

    ScriptTarget() = default;
    // Drops an unfinished script, so no path is ever left with a temporary file.
    ~ScriptTarget() { Drop(); }
    ScriptTarget(const ScriptTarget&) = delete;
    ScriptTarget& operator=(const ScriptTarget&) = delete;

    // pause (when given) is called between the steps of emptying a large file.
    int Open(const std::string& path, Way way, const std::function<void()>& pause = {});
    // After an Open that failed: the old script could be written, but its folder
    // refused the file that was to replace it.
    bool FolderRefused() const { return folderRefused_; }
    ScriptFile& Script() { return script_; }

    // The script is complete: closes it and, when replacing, puts it in the
    // path's place, keeping the old file's permissions. A script that cannot be
    // written out or put in place is removed; its error is returned.
    int Finish(const std::function<void()>& pause = {});
    // The run stopped: a script written in place keeps what it holds (the error
    // returned is its last write's); one that was to replace the path is removed.
    int Drop();
    // The window closed during the run: as Drop, and a regular file the run
    // opened in place is removed as well, unless another file took its place.
    void Abandon();

private:
    struct FileId
    {
        dev_t device = 0;
        ino_t inode = 0;
    };
    void RemoveTemporary();

    ScriptFile script_;
    std::string path_;              // as the user gave it
    std::string replaced_;          // the file a replacement goes to, links followed
    std::string temporary_;         // the replacement while it is written
    FileId temporaryId_;            // so that only that very file is removed
    std::optional<FileId> inPlace_; // the regular file opened in place
    bool folderRefused_ = false;
};

} // namespace vektrano
