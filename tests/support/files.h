#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vektrano::test {

std::string ReadBytes(const std::filesystem::path& path);
// Throws when the bytes could not all be written, so a test fails at the cause
// rather than at a strange result later.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// A fresh folder per test, removed with everything in it afterwards.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace vektrano::test
