// Helpers of the Windows tests of the unzip library and engine: the peer
// fixtures (made natively before these tests run), a recording listener,
// and file comparisons.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "UnzipEvents.h"

namespace unziptest {

namespace fs = std::filesystem;

inline std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

// The fixture folder as Windows sees the Linux file system (drive Z:).
inline std::wstring FixtureFolder() {
    std::wstring path = Utf8ToWide(BRALTO_UNZIP_FIXTURES);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path + L"\\";
}

inline std::wstring Fixture(const std::wstring& name) { return FixtureFolder() + name; }

// A scratch folder under the build tree, emptied at start and removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) : path_(FixtureFolder() + L"..\\unzip-scratch\\" + name) {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        for (auto& entry : fs::recursive_directory_iterator(path_, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

inline std::string ReadBytes(const std::wstring& path) {
    std::string data;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return "<missing>";
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) data.append(buffer, n);
    fclose(file);
    return data;
}

// Relative paths of the files below `folder`, sorted.
inline std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::error_code ignored;
    for (auto& entry : fs::recursive_directory_iterator(folder, ignored))
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).wstring());
    std::sort(files.begin(), files.end());
    return files;
}

// Records every event; answers from queues, with the documented defaults.
class RecordingListener : public bralto::IUnzipEvents {
public:
    std::vector<std::wstring> progress;
    std::vector<std::wstring> cancelAsked;
    std::vector<std::wstring> overwriteAsked;
    std::vector<std::wstring> passwordAsked;
    std::deque<long> overwriteAnswers;
    std::deque<std::wstring> passwordAnswers;
    int cancelAtCall = -1;

    std::wstring AllProgress() const {
        std::wstring all;
        for (const auto& p : progress) all += p;
        return all;
    }

    void Progress(const std::wstring& message) override { progress.push_back(message); }
    void Cancel(const std::wstring& message, bool& cancel) override {
        cancelAsked.push_back(message);
        if (static_cast<int>(cancelAsked.size()) - 1 == cancelAtCall) cancel = true;
    }
    void OverwritePrompt(const std::wstring& file, long& response) override {
        overwriteAsked.push_back(file);
        EXPECT_EQ(100, response);
        if (!overwriteAnswers.empty()) {
            response = overwriteAnswers.front();
            overwriteAnswers.pop_front();
        }
    }
    void PasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) override {
        passwordAsked.push_back(file);
        EXPECT_EQ(L"", password);
        EXPECT_FALSE(cancel);
        if (!passwordAnswers.empty()) {
            password = passwordAnswers.front();
            passwordAnswers.pop_front();
        }
    }
};

}  // namespace unziptest
