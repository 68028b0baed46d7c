#include "WindowsZipHost.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "Handles.h"
#include "ZipText.h"

namespace qnrz {

namespace {

constexpr size_t kCommentBufferSize = 4097;  // 4096 characters and a NUL
constexpr int kPasswordBufferSize = 256;

// Paths cross the portable core as UTF-8.
std::wstring Win32Path(const std::string& utf8) { return FromUtf8(utf8); }

using FileHandle = bralto::UniqueKernelHandle;

class Win32Input : public zipcore::InputStream {
public:
    explicit Win32Input(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    bool Valid() const { return static_cast<bool>(file_); }
    long long Read(void* buffer, size_t size) override {
        DWORD got = 0;
        DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!ReadFile(file_.get(), buffer, wanted, &got, nullptr)) return -1;
        return got;
    }

private:
    FileHandle file_;
};

class Win32ArchiveInput : public zipcore::ArchiveInput {
public:
    explicit Win32ArchiveInput(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        LARGE_INTEGER size{};
        if (file_ && GetFileSizeEx(file_.get(), &size)) size_ = static_cast<uint64_t>(size.QuadPart);
    }
    bool Valid() const { return static_cast<bool>(file_); }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        uint8_t* bytes = static_cast<uint8_t*>(buffer);
        while (size > 0) {
            OVERLAPPED position{};
            position.Offset = static_cast<DWORD>(offset);
            position.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_.get(), bytes, wanted, &got, &position) || got == 0) return false;
            bytes += got;
            offset += got;
            size -= got;
        }
        return true;
    }

private:
    FileHandle file_;
    uint64_t size_ = 0;
};

// The temporary archive is marked for deletion as soon as it is open, so
// that a process that dies mid-job (crash, TerminateProcess) leaves nothing
// behind: the system deletes it when the handle goes. Commit takes the
// mark back just before the file replaces the archive.
class Win32Temporary : public zipcore::TemporaryArchive {
public:
    Win32Temporary(std::wstring path, std::wstring target)
        : path_(std::move(path)),
          target_(std::move(target)),
          file_(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (file_) deletePending_ = MarkForDeletion(TRUE);
    }
    ~Win32Temporary() override {
        if (committed_) return;
        file_.reset();
        DeleteFileW(path_.c_str());  // when the mark could not be set
    }
    bool Valid() const { return static_cast<bool>(file_); }
    bool Write(const void* data, size_t size) override {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        while (size > 0) {
            DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            DWORD put = 0;
            if (!WriteFile(file_.get(), bytes, wanted, &put, nullptr) || put != wanted) return false;
            bytes += put;
            size -= put;
        }
        return true;
    }
    bool Seek(uint64_t position) override {
        LARGE_INTEGER distance;
        distance.QuadPart = static_cast<LONGLONG>(position);
        return SetFilePointerEx(file_.get(), distance, nullptr, FILE_BEGIN) != FALSE;
    }
    bool Truncate() override { return SetEndOfFile(file_.get()) != FALSE; }
    bool Flush() override { return FlushFileBuffers(file_.get()) != FALSE; }
    bool Commit() override {
        if (deletePending_ && !MarkForDeletion(FALSE)) return false;
        if (!bralto::CloseAndCheck(file_)) return false;
        if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        committed_ = true;
        return true;
    }

private:
    bool MarkForDeletion(BOOLEAN deleteOnClose) {
        FILE_DISPOSITION_INFO disposition{deleteOnClose};
        return SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
    }

    std::wstring path_;
    std::wstring target_;
    FileHandle file_;
    bool deletePending_ = false;
    bool committed_ = false;
};

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || path[slash - 1] == L':') return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

}  // namespace

bool WindowsZipHost::ArchiveExists(const std::string& archivePath) {
    DWORD attributes = GetFileAttributesW(Win32Path(archivePath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES;
}

std::unique_ptr<zipcore::ArchiveInput> WindowsZipHost::OpenArchive(const std::string& archivePath) {
    auto input = std::make_unique<Win32ArchiveInput>(Win32Path(archivePath));
    if (!input->Valid()) return nullptr;
    return input;
}

std::unique_ptr<zipcore::TemporaryArchive> WindowsZipHost::CreateTemporary(const std::string& archivePath) {
    std::wstring target = Win32Path(archivePath);
    // Windows refuses to replace a read-only file, but Wine lets a rename
    // do it for root: refuse here, before anything is written, so that a
    // read-only archive is never rewritten whatever the system.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return nullptr;
    wchar_t name[MAX_PATH + 16] = {};
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"qnz", 0, name)) return nullptr;
    auto temporary = std::make_unique<Win32Temporary>(name, target);
    if (!temporary->Valid()) {
        DeleteFileW(name);
        return nullptr;
    }
    return temporary;
}

std::unique_ptr<zipcore::InputStream> WindowsZipHost::OpenSource(const zipcore::SourceFile& source) {
    auto input = std::make_unique<Win32Input>(Win32Path(source.path));
    if (!input->Valid()) return nullptr;
    return input;
}

bool WindowsZipHost::RemoveSource(const zipcore::SourceFile& source) {
    std::wstring path = Win32Path(source.path);
    if (source.info.isDirectory) return RemoveDirectoryW(path.c_str()) != FALSE;
    return DeleteFileW(path.c_str()) != FALSE;
}

std::string WindowsZipHost::DisplayName(const std::string& storedName, bool utf8) {
    return ToAnsi(utf8 ? FromUtf8(storedName) : Widen(storedName, CP_OEMCP));
}

void WindowsZipHost::Print(const std::string& text) {
    if (!callbacks_.print || text.empty()) return;
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    callbacks_.print(copy.data(), static_cast<unsigned long>(text.size()));
}

bool WindowsZipHost::ShouldStop(const std::string& displayName, uint64_t size) {
    if (!callbacks_.ServiceApplication) return false;
    unsigned long shown = static_cast<unsigned long>(std::min<uint64_t>(size, 0xFFFFFFFFu));
    return callbacks_.ServiceApplication(displayName.c_str(), shown) != 0;
}

bool WindowsZipHost::AskPassword(std::string& password) {
    if (!callbacks_.password) return false;
    std::vector<char> buffer(kPasswordBufferSize, '\0');
    if (callbacks_.password(buffer.data(), kPasswordBufferSize, "Enter password: ", "") != 0) return false;
    buffer.back() = '\0';
    password = buffer.data();
    return !password.empty();
}

void WindowsZipHost::AskComment(std::string& comment) {
    if (!callbacks_.comment) return;
    // Room beyond the documented 4097 bytes: a callback that writes its
    // NUL one byte late still stays inside the buffer.
    std::vector<char> buffer(kCommentBufferSize + 64, '\0');
    std::copy_n(comment.begin(), std::min(comment.size(), kCommentBufferSize - 1), buffer.begin());
    std::vector<char> given = buffer;
    callbacks_.comment(buffer.data());
    buffer[kCommentBufferSize - 1] = '\0';
    // A buffer left as it was keeps the whole comment, even one longer
    // than the buffer could show.
    if (buffer != given) comment = buffer.data();
}

}  // namespace qnrz
