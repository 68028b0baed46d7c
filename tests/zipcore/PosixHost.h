// A host for unzip jobs on a POSIX file system, recording every callback
// the caller would receive. Used by the native tests and the fuzzer.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <atomic>
#include <deque>
#include <string>
#include <vector>

#include "UnzipJob.h"

namespace ziptest {

class PosixInput : public zipcore::ArchiveInput {
public:
    explicit PosixInput(int fd) : fd_(fd) {
        struct stat st {};
        fstat(fd_, &st);
        size_ = static_cast<uint64_t>(st.st_size);
    }
    ~PosixInput() override { close(fd_); }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        char* out = static_cast<char*>(buffer);
        while (size > 0) {
            ssize_t n = pread(fd_, out, size, static_cast<off_t>(offset));
            if (n <= 0) return false;
            out += n;
            offset += static_cast<uint64_t>(n);
            size -= static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
    uint64_t size_ = 0;
};

// A temporary file renamed at commit, or (`inPlace`) the final file itself.
class PosixExtractedFile : public zipcore::ExtractedFile {
public:
    PosixExtractedFile(int fd, std::string path, bool inPlace = false)
        : fd_(fd), path_(std::move(path)), inPlace_(inPlace) {}
    ~PosixExtractedFile() override {
        if (fd_ >= 0) close(fd_);
        if (!committed_) unlink(path_.c_str());
    }
    bool Write(const uint8_t* data, size_t size) override {
        while (size > 0) {
            ssize_t n = write(fd_, data, size);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }
    bool Commit(const std::string& finalPath, const zipcore::FileStamp& stamp) override {
        struct timespec times[2] = {{stamp.unixModTime, 0}, {stamp.unixModTime, 0}};
        bool ok = futimens(fd_, times) == 0;
        if (stamp.readOnly) ok = ok && fchmod(fd_, 0444) == 0;
        ok = close(fd_) == 0 && ok;
        fd_ = -1;
        if (!ok || (!inPlace_ && rename(path_.c_str(), finalPath.c_str()) != 0)) return false;
        committed_ = true;
        return true;
    }

private:
    int fd_;
    std::string path_;
    bool inPlace_;
    bool committed_ = false;
};

// Names are UTF-8 here; non-UTF-8 names pass through byte for byte.
class PosixHost : public zipcore::UnzipHost {
public:
    std::vector<std::string> printed;
    std::vector<zipcore::ListingEntry> entries;
    std::vector<std::string> replaceAsked;
    std::vector<std::string> passwordAsked;
    std::vector<std::string> stopAsked;
    std::deque<int> replaceAnswers;           // default 100
    std::deque<std::string> passwordAnswers;  // empty: no password
    int stopBeforeMember = -1;                // index of the Stop call answered true
    std::vector<std::string> statted;         // every path the job looked up
    std::atomic<int> inPlaceFiles{0};         // files written under their final name (workers too)
    unsigned fileWorkers = 0;                 // what FileWorkers answers
    int temporaryFiles = 0;                   // files written through a temporary name
    zipcore::PathLimits limits;               // what Limits answers
    int madeFolders = 0;                      // MakeDirectory calls
    zipcore::CryptoProvider* crypto = nullptr;  // for AES members; none by default

    std::string AllText() const {
        std::string all;
        for (const auto& p : printed) all += p;
        return all;
    }

    std::string DecodeMemberName(const std::string& raw, bool) override { return raw; }
    std::string ToInterface(const std::string& utf8) override { return utf8; }
    std::string FromInterface(const std::string& text) override { return text; }
    void Print(const std::string& text) override { printed.push_back(text); }
    int Replace(const std::string& path) override {
        replaceAsked.push_back(path);
        if (replaceAnswers.empty()) return 100;
        int answer = replaceAnswers.front();
        replaceAnswers.pop_front();
        return answer;
    }
    bool Password(const std::string&, const std::string& member, std::string& password) override {
        passwordAsked.push_back(member);
        if (passwordAnswers.empty()) return false;
        password = passwordAnswers.front();
        passwordAnswers.pop_front();
        return !password.empty();
    }
    void DirectoryEntry(const zipcore::ListingEntry& entry) override { entries.push_back(entry); }
    zipcore::CryptoProvider* Crypto() override { return crypto; }
    bool Stop(const std::string& member, uint64_t) override {
        stopAsked.push_back(member);
        return static_cast<int>(stopAsked.size()) - 1 == stopBeforeMember;
    }
    std::unique_ptr<zipcore::ArchiveInput> OpenArchive(const std::string& path) override {
        int fd = open(path.c_str(), O_RDONLY);
        struct stat st {};
        if (fd < 0) return nullptr;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInput>(fd);
    }
    zipcore::FileFacts Stat(const std::string& path) override {
        statted.push_back(path);
        zipcore::FileFacts facts;
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0) return facts;
        facts.exists = true;
        facts.isDirectory = S_ISDIR(st.st_mode);
        facts.unixModTime = st.st_mtime;
        return facts;
    }
    zipcore::FolderState MakeDirectory(const std::string& path) override {
        ++madeFolders;
        if (mkdir(path.c_str(), 0755) == 0) return zipcore::FolderState::Created;
        struct stat st {};
        bool folder = errno == EEXIST && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        return folder ? zipcore::FolderState::Existing : zipcore::FolderState::Failed;
    }
    std::unique_ptr<zipcore::ExtractedFile> CreateTemporary(const std::string& folder) override {
        std::string pattern = (folder.empty() ? std::string("./") : folder) + ".unzip-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        int fd = mkstemp(name.data());
        if (fd < 0) return nullptr;
        ++temporaryFiles;
        return std::make_unique<PosixExtractedFile>(fd, name.data());
    }
    std::unique_ptr<zipcore::ExtractedFile> CreateInPlace(const std::string& path) override {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) return nullptr;
        ++inPlaceFiles;
        return std::make_unique<PosixExtractedFile>(fd, path, true);
    }
    unsigned FileWorkers() override { return fileWorkers; }
    void SetFolderTime(const std::string& path, int64_t unixTime) override {
        struct timespec times[2] = {{unixTime, 0}, {unixTime, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    zipcore::PathLimits Limits() override { return limits; }
    int64_t LocalTimeToUnix(const zipcore::DateTime& local) override {
        struct tm t {};
        t.tm_year = local.year - 1900;
        t.tm_mon = local.month - 1;
        t.tm_mday = local.day;
        t.tm_hour = local.hour;
        t.tm_min = local.minute;
        t.tm_sec = local.second;
        t.tm_isdst = -1;
        return static_cast<int64_t>(mktime(&t));
    }
};

}  // namespace ziptest
