#include "PosixHost.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "DosTime.h"
#include "ZipFormat.h"

namespace fs = std::filesystem;

namespace ziptest {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Close() {
        if (fd_ < 0) return true;
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

class PosixInput : public zipcore::InputStream {
public:
    explicit PosixInput(int fd) : fd_(fd) {}
    bool Valid() const { return fd_.Valid(); }
    long long Read(void* buffer, size_t size) override { return ::read(fd_.Get(), buffer, size); }

private:
    FileDescriptor fd_;
};

class PosixArchiveInput : public zipcore::ArchiveInput {
public:
    explicit PosixArchiveInput(int fd) : fd_(fd) {
        struct stat st {};
        if (fd_.Valid() && fstat(fd_.Get(), &st) == 0) size_ = static_cast<uint64_t>(st.st_size);
    }
    bool Valid() const { return fd_.Valid(); }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        size_t done = 0;
        while (done < size) {
            ssize_t got = ::pread(fd_.Get(), static_cast<uint8_t*>(buffer) + done, size - done,
                                  static_cast<off_t>(offset + done));
            if (got <= 0) return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }

private:
    FileDescriptor fd_;
    uint64_t size_ = 0;
};

class PosixTemporary : public zipcore::TemporaryArchive {
public:
    PosixTemporary(std::string path, std::string target, int fd, long long failAfter)
        : path_(std::move(path)), target_(std::move(target)), fd_(fd), failAfter_(failAfter) {}
    ~PosixTemporary() override {
        if (committed_) return;
        fd_.Close();
        ::unlink(path_.c_str());
    }
    bool Write(const void* data, size_t size) override {
        if (failAfter_ >= 0 && written_ + static_cast<long long>(size) > failAfter_) return false;
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        size_t done = 0;
        while (done < size) {
            ssize_t put = ::write(fd_.Get(), bytes + done, size - done);
            if (put <= 0) return false;
            done += static_cast<size_t>(put);
        }
        written_ += static_cast<long long>(size);
        return true;
    }
    bool Seek(uint64_t position) override {
        return ::lseek(fd_.Get(), static_cast<off_t>(position), SEEK_SET) == static_cast<off_t>(position);
    }
    bool Truncate() override {
        off_t here = ::lseek(fd_.Get(), 0, SEEK_CUR);
        return here >= 0 && ::ftruncate(fd_.Get(), here) == 0;
    }
    bool Flush() override { return true; }
    bool Commit() override {
        if (!fd_.Close()) return false;
        if (::rename(path_.c_str(), target_.c_str()) != 0) return false;
        committed_ = true;
        return true;
    }

private:
    std::string path_;
    std::string target_;
    FileDescriptor fd_;
    long long failAfter_;
    long long written_ = 0;
    bool committed_ = false;
};

}  // namespace

bool PosixHost::ArchiveExists(const std::string& archivePath) { return ::access(archivePath.c_str(), F_OK) == 0; }

std::unique_ptr<zipcore::ArchiveInput> PosixHost::OpenArchive(const std::string& archivePath) {
    auto input = std::make_unique<PosixArchiveInput>(::open(archivePath.c_str(), O_RDONLY));
    if (!input->Valid()) return nullptr;
    return input;
}

std::unique_ptr<zipcore::TemporaryArchive> PosixHost::CreateTemporary(const std::string& archivePath) {
    std::string pattern = archivePath + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return nullptr;
    return std::make_unique<PosixTemporary>(name.data(), archivePath, fd, failWritesAfter);
}

std::unique_ptr<zipcore::InputStream> PosixHost::OpenSource(const zipcore::SourceFile& source) {
    auto input = std::make_unique<PosixInput>(::open(source.path.c_str(), O_RDONLY));
    if (!input->Valid()) return nullptr;
    return input;
}

bool PosixHost::RemoveSource(const zipcore::SourceFile& source) {
    return source.info.isDirectory ? ::rmdir(source.path.c_str()) == 0 : ::unlink(source.path.c_str()) == 0;
}

void PosixHost::Print(const std::string& text) { prints.push_back(text); }

bool PosixHost::ShouldStop(const std::string& displayName, uint64_t) { return stopBefore && stopBefore(displayName); }

bool PosixHost::AskPassword(std::string& answer) {
    ++passwordRequests;
    answer = password;
    return !password.empty();
}

void PosixHost::AskComment(std::string& current) {
    ++commentRequests;
    if (hasComment) current = comment;
}

std::string PosixHost::Transcript() const {
    std::string all;
    for (const std::string& p : prints) all += p;
    return all;
}

std::vector<zipcore::SourceFile> CollectSources(const std::string& root, bool includeDirectories, bool junk) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<zipcore::SourceFile> sources;
    for (const fs::path& path : paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) continue;
        bool directory = S_ISDIR(st.st_mode);
        if (directory && (!includeDirectories || junk)) continue;
        zipcore::SourceFile source;
        source.path = path.string();
        std::string stored = junk ? path.filename().string() : fs::relative(path, root).generic_string();
        if (directory) stored += '/';
        source.info.storedName = stored;
        source.info.utf8Name = std::any_of(stored.begin(), stored.end(), [](char c) { return (c & 0x80) != 0; });
        source.info.isDirectory = directory;
        source.info.expectedSize = directory ? 0 : static_cast<uint64_t>(st.st_size);
        std::tm local{};
        time_t mtime = st.st_mtime;
        localtime_r(&mtime, &local);
        zipcore::DateTime dt{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                             local.tm_hour,        local.tm_min,     local.tm_sec};
        zipcore::DateTimeToDos(dt, source.info.dosDate, source.info.dosTime);
        source.info.hasUnixTime = true;
        source.info.unixModTime = st.st_mtime;
        source.info.attributes = directory ? zipcore::kDosDirectory : zipcore::kDosArchive;
        source.displayName = stored;
        source.displayPath = source.path;
        sources.push_back(source);
    }
    return sources;
}

}  // namespace ziptest
