// Shared pieces of the Windows zip tests: the exchange folder the peer
// checks read afterwards, files with wide names, a scripted listener, and
// a look at archives through the portable reader.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "ZipEvents.h"

namespace ziptest {

namespace fs = std::filesystem;

// The exchange folder as Linux (for the manifest) and Wine see it.
inline std::string ExchangeLinux() { return BRALTO_ZIP_EXCHANGE; }
inline fs::path Exchange() {
    std::string path = "Z:" + ExchangeLinux();
    std::replace(path.begin(), path.end(), '/', '\\');
    return fs::path(path);
}

inline std::string Utf8(const std::wstring& text) {
    int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

inline void WriteFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline std::string TextContent(size_t size) {
    std::string text;
    for (int line = 0; text.size() < size; ++line) text += "ligne " + std::to_string(line) + " d'un texte\r\n";
    text.resize(size);
    return text;
}

inline std::string NoiseContent(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

// Sets the modification time: years since 1601 are plenty for tests.
inline void SetWriteTime(const fs::path& path, int year) {
    SYSTEMTIME when{};
    when.wYear = static_cast<WORD>(year);
    when.wMonth = 6;
    when.wDay = 15;
    when.wHour = 12;
    FILETIME time{};
    SystemTimeToFileTime(&when, &time);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// Adds an archive to the list the native peer checks go through:
// archive, expected tree (both relative to the exchange folder), password.
inline void ExpectPeersAgree(const std::string& archive, const std::string& expectedTree,
                             const std::string& password = "") {
    std::ofstream manifest(Exchange() / "manifest.txt", std::ios::app | std::ios::binary);
    manifest << archive << '|' << expectedTree << '|' << password << '\n';
}

// A test's own folder in the exchange folder, emptied first.
inline fs::path TestFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    fs::path folder = Exchange() / (std::string(info->test_suite_name()) + "." + info->name());
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    return folder;
}

inline size_t CountEntries(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class RecordingListener : public bralto::IZipEvents {
public:
    void Progress(const std::wstring& message) override { progress.push_back(message); }
    void Cancel(const std::wstring& message, bool& cancel) override {
        cancelChecks.push_back(message);
        if (cancelOn) cancel = cancelOn(message);
    }
    void PasswordRequest(std::wstring& answer, bool& cancel) override {
        ++passwordRequests;
        answer = password;
        cancel = cancelPassword;
    }
    void CommentRequest(std::wstring& answer, bool& cancel, bool& clear) override {
        ++commentRequests;
        answer = comment;
        cancel = cancelComment;
        clear = clearComment;
    }

    std::wstring Transcript() const {
        std::wstring all;
        for (const std::wstring& piece : progress) all += piece;
        return all;
    }

    std::vector<std::wstring> progress;
    std::vector<std::wstring> cancelChecks;
    std::function<bool(const std::wstring&)> cancelOn;
    std::wstring password;
    bool cancelPassword = false;
    int passwordRequests = 0;
    std::wstring comment;
    bool cancelComment = false;
    bool clearComment = false;
    int commentRequests = 0;
};

// The central directory of an archive, read with the portable reader.
class ArchiveView {
public:
    explicit ArchiveView(const fs::path& path) : input_(path) { ok_ = reader_.Open(input_) == zipcore::OpenResult::Ok; }
    bool Ok() const { return ok_; }
    const std::vector<zipcore::MemberInfo>& Members() const { return reader_.Members(); }
    const std::string& Comment() const { return reader_.Comment(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& member : reader_.Members()) names.push_back(member.rawName);
        return names;
    }
    const zipcore::MemberInfo* Find(const std::string& name) const {
        for (const auto& member : reader_.Members()) {
            if (member.rawName == name) return &member;
        }
        return nullptr;
    }

private:
    class Input : public zipcore::ArchiveInput {
    public:
        explicit Input(const fs::path& path) : content_(ReadFile(path)) {}
        uint64_t Size() const override { return content_.size(); }
        bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
            if (offset > content_.size() || size > content_.size() - offset) return false;
            std::copy_n(content_.data() + offset, size, static_cast<char*>(buffer));
            return true;
        }

    private:
        std::string content_;
    };

    Input input_;
    zipcore::ArchiveReader reader_;
    bool ok_ = false;
};

}  // namespace ziptest
