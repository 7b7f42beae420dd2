#pragma once

#include "script/script_file.h"

#include <functional>

namespace vektrano {

// Script lines kept aside until their turn: written through a small buffer into a
// file without a name in the temporary folder, so a group of millions of lines
// costs no memory, and nothing stays behind however the run ends.
class SpillFile
{
public:
    SpillFile();
    ~SpillFile();
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // 0 or the system's error number.
    int Open();
    ScriptFile& File() { return file_; }
    // Appends everything written so far to script. 0 or the system's error number.
    int CopyTo(ScriptFile& script, const std::function<void()>& pause);

private:
    ScriptFile file_;
    int readFd_ = -1;
};

} // namespace vektrano
