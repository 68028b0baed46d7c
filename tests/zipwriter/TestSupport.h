// Helpers of the writer tests: scratch folders, corpus files, running the
// peer tools (unzip, 7zz, python3 zipfile) and comparing trees.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace ziptest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed on destruction.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& content);
std::string ReadFile(const fs::path& path);
// Text that compresses well, and bytes that do not compress at all.
std::string TextContent(size_t size, unsigned seed);
std::string RandomContent(size_t size, unsigned seed);
// Sets a file's modification time, seconds since 1970.
void SetModificationTime(const fs::path& path, int64_t unixTime);

// Runs a shell command; returns its exit status and fills `output`.
int RunCommand(const std::string& command, std::string* output = nullptr);
std::string Quote(const fs::path& path);

// True when both trees hold the same files with the same bytes (folders
// must exist in both too).
bool SameTree(const fs::path& expected, const fs::path& actual, std::string* difference);

// Files left beside an archive other than the ones expected (temporary
// files of a job that did not finish).
size_t CountEntries(const fs::path& folder);

}  // namespace ziptest
