#include "WindowsUnzipHost.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "CodePages.h"
#include "Handles.h"
#include "TextCase.h"

namespace qnruz {

namespace {

constexpr unsigned long kMaxULong = 0xFFFFFFFFul;
constexpr size_t kWriteBuffer = WindowsUnzipHost::kWriteBufferBytes;
constexpr size_t kDirectWrite = 64 * 1024;
constexpr int kPasswordBuffer = 256;

using UniqueHandle = bralto::UniqueKernelHandle;

unsigned long Clamp32(uint64_t value) { return value > kMaxULong ? kMaxULong : static_cast<unsigned long>(value); }

int64_t FileTimeToUnix(const FILETIME& ft) {
    uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return zipcore::FileTimeToUnixTime(ticks);
}

FILETIME UnixToFileTime(int64_t unixSeconds) {
    uint64_t ticks = zipcore::UnixTimeToFileTime(unixSeconds);
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

// The archive, read at explicit offsets (no shared file position). Small
// reads (headers, names, the data of small members) come from a window of
// the archive read ahead in one call: members are read in the order they
// are stored, and under Wine every ReadFile is a round trip to the
// wineserver, three per member without the window. Large reads go straight
// to the file.
class Win32ArchiveInput : public zipcore::ArchiveInput {
public:
    Win32ArchiveInput(HANDLE handle, uint64_t size) : handle_(handle), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        if (size > kWindow / 4) return ReadFromFile(offset, buffer, size);
        std::lock_guard<std::mutex> lock(windowMutex_);
        if (!InWindow(offset, size) && !FillWindow(offset)) return false;
        std::memcpy(buffer, window_.data() + (offset - windowStart_), size);
        return true;
    }

private:
    static constexpr size_t kWindow = 256 * 1024;

    bool InWindow(uint64_t offset, size_t size) const {
        return offset >= windowStart_ && offset - windowStart_ <= windowBytes_ &&
               size <= windowBytes_ - (offset - windowStart_);
    }
    bool FillWindow(uint64_t offset) {
        window_.resize(kWindow);
        windowBytes_ = 0;
        const size_t bytes = static_cast<size_t>(std::min<uint64_t>(kWindow, size_ - offset));
        if (!ReadFromFile(offset, window_.data(), bytes)) return false;
        windowStart_ = offset;
        windowBytes_ = bytes;
        return true;
    }
    bool ReadFromFile(uint64_t offset, void* buffer, size_t size) {
        char* out = static_cast<char*>(buffer);
        while (size > 0) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            DWORD read = 0;
            if (!ReadFile(handle_.get(), out, chunk, &read, &at) || read == 0) return false;
            out += read;
            offset += read;
            size -= read;
        }
        return true;
    }

    UniqueHandle handle_;
    uint64_t size_;
    std::mutex windowMutex_;
    std::vector<char> window_;  // the archive from windowStart_, windowBytes_ long
    uint64_t windowStart_ = 0;
    size_t windowBytes_ = 0;
};


// A member being written to a temporary file beside its final name or, when
// the name was free, under that name itself (`inPlace`), through a large
// buffer borrowed from the host's pool and given back at the end:
// allocating it for every member would map and unmap memory each time under
// Wine. Removed unless committed.
//
// The file is marked for deletion as soon as it is open, so that a process
// that dies mid-member (crash, TerminateProcess) leaves neither a temporary
// file nor a partial file under the member's name: the system deletes it
// when the handle goes. Commit takes the mark back just before the file
// takes its final name.
class Win32ExtractedFile : public zipcore::ExtractedFile {
public:
    Win32ExtractedFile(UniqueHandle handle, std::wstring path, bool inPlace, zipcore::BlockPool& buffers)
        : handle_(std::move(handle)), path_(std::move(path)), inPlace_(inPlace), buffers_(buffers) {
        deletePending_ = MarkForDeletion(TRUE);
    }
    ~Win32ExtractedFile() override {
        buffers_.Give(std::move(buffer_));
        if (committed_) return;
        const bool deletedOnClose = deletePending_ && handle_;
        handle_.reset();
        if (!deletedOnClose) DeleteFileW(path_.c_str());
    }

    bool Write(const uint8_t* data, size_t size) override {
        if (buffer_.size() + size > kWriteBuffer && !Flush()) return false;
        // Large pieces, and a small file written whole at once, need no copy.
        if (size >= kWriteBuffer || (buffer_.empty() && size >= kDirectWrite)) return WriteAll(data, size);
        if (buffer_.capacity() == 0) buffer_ = buffers_.Take(kWriteBuffer);
        buffer_.insert(buffer_.end(), data, data + size);
        return true;
    }

    bool Commit(const std::string& finalPath, const zipcore::FileStamp& stamp) override {
        if (inPlace_) return CommitInPlace(stamp);
        return CommitByRename(finalPath, stamp);
    }

private:
    // The file has its final name already: no lookup, no rename.
    bool CommitInPlace(const zipcore::FileStamp& stamp) {
        if (!Flush()) return false;
        FILETIME modified = UnixToFileTime(stamp.unixModTime);
        SetFileTime(handle_.get(), nullptr, nullptr, &modified);
        if (!KeepOnClose()) return false;
        if (!bralto::CloseAndCheck(handle_)) return false;
        committed_ = true;
        SetStampAttributes(path_, stamp);
        return true;
    }

    static void SetStampAttributes(const std::wstring& path, const zipcore::FileStamp& stamp) {
        DWORD attributes = (stamp.readOnly ? FILE_ATTRIBUTE_READONLY : 0) | (stamp.hidden ? FILE_ATTRIBUTE_HIDDEN : 0);
        if (attributes) SetFileAttributesW(path.c_str(), attributes);
    }

    bool CommitByRename(const std::string& finalPath, const zipcore::FileStamp& stamp) {
        if (!Flush()) return false;
        FILETIME modified = UnixToFileTime(stamp.unixModTime);
        SetFileTime(handle_.get(), nullptr, nullptr, &modified);
        std::wstring target = ToWin32Path(finalPath);
        DWORD existing = GetFileAttributesW(target.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES &&
            (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!KeepOnClose()) return false;
        // Renaming through the open handle costs one call where a rename by
        // name costs several (much slower under Wine); by name is the fallback.
        committed_ = RenameOpenFile(target);
        bool closed = bralto::CloseAndCheck(handle_);
        if (!committed_) {
            if (!closed || !MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
            committed_ = true;
        }
        if (!closed) return false;
        SetStampAttributes(target, stamp);
        return true;
    }

    bool MarkForDeletion(BOOLEAN deleteOnClose) {
        FILE_DISPOSITION_INFO disposition{deleteOnClose};
        return SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
    }

    // Takes the deletion mark back; the file is then removed by name if
    // the commit fails.
    bool KeepOnClose() {
        if (!deletePending_) return true;
        if (!MarkForDeletion(FALSE)) return false;
        deletePending_ = false;
        return true;
    }

    bool RenameOpenFile(const std::wstring& target) {
        size_t nameBytes = target.size() * sizeof(wchar_t);
        std::vector<uint8_t> storage(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
        info->ReplaceIfExists = TRUE;
        info->FileNameLength = static_cast<DWORD>(nameBytes);
        std::memcpy(info->FileName, target.data(), nameBytes);
        return SetFileInformationByHandle(handle_.get(), FileRenameInfo, info, static_cast<DWORD>(storage.size())) != 0;
    }

    bool Flush() {
        bool ok = WriteAll(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }
    bool WriteAll(const uint8_t* data, size_t size) {
        while (size > 0) {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
            DWORD written = 0;
            if (!WriteFile(handle_.get(), data, chunk, &written, nullptr) || written == 0) return false;
            data += written;
            size -= written;
        }
        return true;
    }

    UniqueHandle handle_;
    std::wstring path_;
    bool inPlace_;
    zipcore::BlockPool& buffers_;
    std::vector<uint8_t> buffer_;
    bool deletePending_ = false;
    bool committed_ = false;
};

// Copies interface text into a writable NUL-terminated buffer for a callback.
std::vector<char> CallbackText(const std::string& text, size_t minimum = 0) {
    std::vector<char> buffer(std::max(text.size() + 1, minimum), '\0');
    std::memcpy(buffer.data(), text.data(), text.size());
    return buffer;
}

}  // namespace

unsigned WindowsUnzipHost::FileWorkers() {
    // Creating a file is mostly waiting for the file system (and under Wine
    // a search of the whole folder for the new name): one worker per core,
    // at most four.
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return std::clamp<unsigned>(system.dwNumberOfProcessors, 1, 4);
}

std::unique_ptr<zipcore::ArchiveInput> OpenArchiveFile(const std::string& ansiPath) {
    std::wstring path = Widen(ansiPath, CP_ACP);
    if (path.empty()) return nullptr;
    UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return nullptr;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return std::make_unique<Win32ArchiveInput>(handle.release(), size);
}

std::string WindowsUnzipHost::DecodeMemberName(const std::string& raw, bool utf8) {
    return Narrow(DecodeStoredName(raw, utf8), CP_UTF8);
}

std::string WindowsUnzipHost::ToInterface(const std::string& utf8) { return ToInterfaceText(utf8); }

std::string WindowsUnzipHost::FromInterface(const std::string& text) { return Narrow(Widen(text, CP_ACP), CP_UTF8); }

void WindowsUnzipHost::Print(const std::string& text) {
    if (!callbacks_ || !callbacks_->print) return;
    std::vector<char> buffer = CallbackText(text);
    callbacks_->print(buffer.data(), static_cast<unsigned long>(text.size()));
}

int WindowsUnzipHost::Replace(const std::string& path) {
    if (!callbacks_ || !callbacks_->replace) return 100;
    std::vector<char> buffer = CallbackText(path, MAX_PATH + 1);
    return callbacks_->replace(buffer.data());
}

bool WindowsUnzipHost::Password(const std::string& prompt, const std::string& member, std::string& password) {
    if (!callbacks_ || !callbacks_->password) return false;
    std::vector<char> buffer(kPasswordBuffer + 1, '\0');
    if (callbacks_->password(buffer.data(), kPasswordBuffer, prompt.c_str(), member.c_str()) != 0) return false;
    buffer[kPasswordBuffer] = '\0';
    password = buffer.data();
    return !password.empty();
}

std::vector<std::string> WindowsUnzipHost::PasswordForms(const std::string& password) {
    // Tools differ in how they turn a typed password into bytes: Windows
    // tools use the ANSI or OEM code page, others UTF-8.
    std::wstring text = Widen(password, CP_ACP);
    std::vector<std::string> forms{password};
    for (unsigned codePage : {static_cast<unsigned>(CP_UTF8), static_cast<unsigned>(CP_OEMCP)}) {
        std::string form = Narrow(text, codePage);
        if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(form);
    }
    return forms;
}

void WindowsUnzipHost::DirectoryEntry(const zipcore::ListingEntry& entry) {
    if (!callbacks_ || !callbacks_->SendApplicationMessage) return;
    std::vector<char> path = CallbackText(entry.path);
    std::vector<char> method = CallbackText(entry.method);
    callbacks_->SendApplicationMessage(
        Clamp32(entry.uncompressedSize), Clamp32(entry.compressedSize), static_cast<unsigned>(entry.ratio),
        static_cast<unsigned>(entry.modified.day), static_cast<unsigned>(entry.modified.month),
        static_cast<unsigned>(entry.modified.year), static_cast<unsigned>(entry.modified.hour),
        static_cast<unsigned>(entry.modified.minute), ' ', path.data(), method.data(),
        static_cast<unsigned long>(entry.crc32), entry.encrypted ? 'E' : ' ');
}

bool WindowsUnzipHost::Stop(const std::string& member, uint64_t size) {
    if (!callbacks_ || !callbacks_->ServCallBk) return false;
    return callbacks_->ServCallBk(member.c_str(), Clamp32(size)) != 0;
}

std::unique_ptr<zipcore::ArchiveInput> WindowsUnzipHost::OpenArchive(const std::string& path) {
    return OpenArchiveFile(path);
}

zipcore::FileFacts WindowsUnzipHost::Stat(const std::string& path) {
    zipcore::FileFacts facts;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ToWin32Path(path).c_str(), GetFileExInfoStandard, &data)) return facts;
    facts.exists = true;
    facts.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.unixModTime = FileTimeToUnix(data.ftLastWriteTime);
    return facts;
}

zipcore::FolderState WindowsUnzipHost::MakeDirectory(const std::string& path) {
    std::wstring wide = ToWin32Path(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return zipcore::FolderState::Created;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folder ? zipcore::FolderState::Existing : zipcore::FolderState::Failed;
}

std::string WindowsUnzipHost::FolderKey(const std::string& path) {
    // Names differing only in case are one name here.
    std::wstring wide = Widen(path, CP_UTF8);
    return wide.empty() ? path : Narrow(bralto::Upper(wide), CP_UTF8);
}

std::unique_ptr<zipcore::ExtractedFile> WindowsUnzipHost::CreateInPlace(const std::string& path) {
    std::wstring wide = ToWin32Path(path);
    // CREATE_NEW fails on any existing name: an existing file is never opened.
    UniqueHandle handle(CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return nullptr;
    return std::make_unique<Win32ExtractedFile>(std::move(handle), std::move(wide), true, writeBuffers_);
}

std::unique_ptr<zipcore::ExtractedFile> WindowsUnzipHost::CreateTemporary(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    std::wstring base = ToWin32Path(folder.empty() ? std::string(".\\") : folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[64];
        swprintf(name, 64, L"~qnruz%08lx%04x.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                 static_cast<unsigned>(counter++ & 0xFFFF));
        std::wstring path = base + name;
        UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (handle) return std::make_unique<Win32ExtractedFile>(std::move(handle), path, false, writeBuffers_);
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return nullptr;
    }
    return nullptr;
}

void WindowsUnzipHost::SetFolderTime(const std::string& path, int64_t unixTime) {
    // A folder opens only with backup semantics; writing attributes is
    // all that setting its time needs.
    UniqueHandle folder(CreateFileW(ToWin32Path(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return;
    FILETIME modified = UnixToFileTime(unixTime);
    SetFileTime(folder.get(), nullptr, nullptr, &modified);
}

zipcore::PathLimits WindowsUnzipHost::Limits() {
    zipcore::PathLimits limits;
    limits.maxPath = 32767 - 1;  // UTF-16 units of a "\\?\" path, less its NUL
    limits.maxName = 255;        // UTF-16 units of one name (NTFS, FAT32)
    return limits;
}

size_t WindowsUnzipHost::PathUnits(const std::string& path) {
    // A path is measured as the system gets it (full, with its long-path
    // prefix); one name in UTF-16 units.
    if (path.find_first_of("/\\") != std::string::npos) return ToWin32Path(path).size();
    return Widen(path, CP_UTF8).size();
}

int64_t WindowsUnzipHost::LocalTimeToUnix(const zipcore::DateTime& local) {
    SYSTEMTIME localTime{};
    localTime.wYear = static_cast<WORD>(local.year);
    localTime.wMonth = static_cast<WORD>(local.month);
    localTime.wDay = static_cast<WORD>(local.day);
    localTime.wHour = static_cast<WORD>(local.hour);
    localTime.wMinute = static_cast<WORD>(local.minute);
    localTime.wSecond = static_cast<WORD>(local.second);
    SYSTEMTIME utc{};
    FILETIME ft{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc) || !SystemTimeToFileTime(&utc, &ft))
        return zipcore::DateTimeToUnixTime(local);
    return FileTimeToUnix(ft);
}

}  // namespace qnruz
