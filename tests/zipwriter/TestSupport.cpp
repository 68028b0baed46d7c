#include "TestSupport.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

namespace ziptest {

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "zipwriter-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void WriteFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string TextContent(size_t size, unsigned seed) {
    static const char* words[] = {"archive ", "member ", "deflate ", "window ",   "central ", "directory ",
                                  "header ",  "zip ",    "bralto\n", "compress ", "level ",   "folder\n"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) text += words[random() % 12];
    text.resize(size);
    return text;
}

std::string RandomContent(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

void SetModificationTime(const fs::path& path, int64_t unixTime) {
    struct timeval times[2] = {{static_cast<time_t>(unixTime), 0}, {static_cast<time_t>(unixTime), 0}};
    utimes(path.c_str(), times);
}

int RunCommand(const std::string& command, std::string* output) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 4096> buffer;
    std::string text;
    size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) text.append(buffer.data(), got);
    int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

bool SameTree(const fs::path& expected, const fs::path& actual, std::string* difference) {
    std::set<std::string> seen;
    for (const auto& entry : fs::recursive_directory_iterator(expected)) {
        fs::path relative = fs::relative(entry.path(), expected);
        fs::path other = actual / relative;
        seen.insert(relative.string());
        if (entry.is_directory()) {
            if (!fs::is_directory(other)) {
                if (difference) *difference = "missing folder " + relative.string();
                return false;
            }
        } else if (!fs::is_regular_file(other) || ReadFile(entry.path()) != ReadFile(other)) {
            if (difference) *difference = "different or missing file " + relative.string();
            return false;
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(actual)) {
        std::string relative = fs::relative(entry.path(), actual).string();
        if (!seen.count(relative)) {
            if (difference) *difference = "unexpected " + relative;
            return false;
        }
    }
    return true;
}

size_t CountEntries(const fs::path& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace ziptest
