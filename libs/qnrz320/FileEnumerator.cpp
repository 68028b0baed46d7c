#include "FileEnumerator.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "DosTime.h"
#include "Wildcard.h"
#include "ZipFormat.h"
#include "Handles.h"
#include "TextCase.h"
#include "ZipText.h"

namespace qnrz {

namespace {

constexpr unsigned long kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                          FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    wchar_t last = folder.back();
    if (last == L'\\' || last == L':') return folder + name;
    return folder + L"\\" + name;
}

std::wstring FullPathOf(const std::wstring& path) {
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

void SetTimes(zipcore::NewMemberInfo& info, unsigned long long writeTime) {
    FILETIME utc{static_cast<DWORD>(writeTime), static_cast<DWORD>(writeTime >> 32)};
    FILETIME local{};
    WORD dosDate = 0, dosTime = 0;
    if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
        info.dosDate = dosDate;
        info.dosTime = dosTime;
    } else {
        info.dosDate = (1 << 5) | 1;  // 1980-01-01, the earliest DOS date
        info.dosTime = 0;
    }
    info.hasUnixTime = true;
    info.unixModTime = zipcore::FileTimeToUnixTime(writeTime);
}

bralto::UniqueKernelHandle OpenFolder(const std::wstring& folder) {
    return bralto::UniqueKernelHandle(CreateFileW(folder.empty() ? L"." : folder.c_str(), 0,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The folder's file number alone. The volume's serial number is not asked
// for: under Wine each such question is a request to its mount manager and
// a walk up to the root of the path, for every folder walked.
bool FileNumberOf(const std::wstring& folder, unsigned long long& number) {
    bralto::UniqueKernelHandle handle = OpenFolder(folder);
    if (!handle) return false;
    IO_STATUS_BLOCK status{};
    FILE_INTERNAL_INFORMATION internal{};
    if (NtQueryInformationFile(handle.get(), &status, &internal, sizeof internal, FileInternalInformation) >= 0) {
        number = static_cast<unsigned long long>(internal.IndexNumber.QuadPart);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info)) return false;
    number = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

// Volume and file number together: the same folder, not just the same
// number on two volumes.
bool SameFolder(const std::wstring& one, const std::wstring& other) {
    BY_HANDLE_FILE_INFORMATION infos[2]{};
    const std::wstring* paths[2] = {&one, &other};
    for (int i = 0; i < 2; ++i) {
        bralto::UniqueKernelHandle handle = OpenFolder(*paths[i]);
        if (!handle || !GetFileInformationByHandle(handle.get(), &infos[i])) return false;
    }
    return infos[0].dwVolumeSerialNumber == infos[1].dwVolumeSerialNumber &&
           infos[0].nFileIndexHigh == infos[1].nFileIndexHigh && infos[0].nFileIndexLow == infos[1].nFileIndexLow;
}

}  // namespace

// Keeps a folder's identity on the stack of folders being walked while
// its contents are listed.
class FileEnumerator::Descent {
public:
    Descent(FileEnumerator& enumerator, const std::wstring& folder) : enumerator_(enumerator) {
        unsigned long long number = 0;
        entered_ = enumerator_.FileNumberOfFolder(folder, number);
        if (entered_) enumerator_.ancestors_.push_back(FolderMark{folder, number});
    }
    ~Descent() {
        if (entered_) enumerator_.ancestors_.pop_back();
    }
    Descent(const Descent&) = delete;
    Descent& operator=(const Descent&) = delete;

private:
    FileEnumerator& enumerator_;
    bool entered_ = false;
};

std::wstring StoredPath(const std::wstring& path) {
    std::wstring name = path;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    if (name.size() >= 2 && name.compare(0, 2, L"//") == 0) {
        // \\server\share\rest: the share is not part of the name.
        size_t server = name.find(L'/', 2);
        size_t share = server == std::wstring::npos ? server : name.find(L'/', server + 1);
        name = share == std::wstring::npos ? std::wstring() : name.substr(share);
    } else if (name.size() >= 2 && name[1] == L':') {
        name.erase(0, 2);
    }
    for (bool changed = true; changed;) {
        changed = false;
        size_t start = name.find_first_not_of(L'/');
        if (start != 0) {
            name.erase(0, start == std::wstring::npos ? name.size() : start);
            changed = !name.empty();
        }
        for (const wchar_t* step : {L"./", L"../"}) {
            size_t length = wcslen(step);
            if (name.compare(0, length, step) == 0) {
                name.erase(0, length);
                changed = true;
            }
        }
    }
    if (name == L"." || name == L"..") name.clear();
    return name;
}

bool FileEnumerator::Skipped(unsigned long attributes) const {
    bool hiddenOrSystem = (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    return hiddenOrSystem && !options_.includeHiddenAndSystem;
}

// A folder entered through a junction or a symbolic link may lead back to
// one of its parents (profiles hold such junctions, "Application Data"
// inside AppData\Local): the walk would then go round until the paths grow
// too long. Such folders are neither stored nor entered, and are reported.
bool FileEnumerator::IsLinkedFolder(const Found& found) {
    if (!found.isDirectory) return false;
    bool linked = (found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (found.hasNumber) lastAsked_ = {found.path, found.number, true};
    unsigned long long number = 0;
    if (!linked && FileNumberOfFolder(found.path, number)) {
        linked = std::any_of(ancestors_.begin(), ancestors_.end(), [&](const FolderMark& ancestor) {
            return ancestor.number == number && SameFolder(found.path, ancestor.path);
        });
    }
    if (linked && skippedKeys_.insert(bralto::Upper(FullPathOf(found.path))).second) skippedLinks_.push_back(found.path);
    return linked;
}

// A folder is checked as a child and then entered: the second asking takes
// the answer of the first.
bool FileEnumerator::FileNumberOfFolder(const std::wstring& folder, unsigned long long& number) {
    if (!lastAsked_.known || lastAsked_.path != folder) {
        lastAsked_.path = folder;
        lastAsked_.known = FileNumberOf(folder, lastAsked_.number);
    }
    number = lastAsked_.number;
    return lastAsked_.known;
}

// Lists through the folder's own handle: the entries come with their file
// numbers, so no folder is opened again to be told apart from its parents.
// False when the file system cannot list this way; `entries` is then empty.
bool FileEnumerator::ListByHandle(const std::wstring& folder, std::vector<Found>& entries) const {
    bralto::UniqueKernelHandle handle(CreateFileW(folder.empty() ? L"." : folder.c_str(), FILE_LIST_DIRECTORY,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return false;
    std::vector<unsigned long long> buffer(8192);  // 64 KiB, aligned for the records
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
    for (FILE_INFO_BY_HANDLE_CLASS query = FileIdBothDirectoryRestartInfo;; query = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(handle.get(), query, buffer.data(), bytes)) {
            if (GetLastError() == ERROR_NO_MORE_FILES) return true;
            entries.clear();
            return false;
        }
        const unsigned char* record = reinterpret_cast<const unsigned char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(record);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                Found found;
                found.path = JoinPath(folder, name);
                found.isDirectory = (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                found.attributes = info->FileAttributes;
                found.size = static_cast<unsigned long long>(info->EndOfFile.QuadPart);
                found.writeTime = static_cast<unsigned long long>(info->LastWriteTime.QuadPart);
                found.number = static_cast<unsigned long long>(info->FileId.QuadPart);
                found.hasNumber = true;
                entries.push_back(found);
            }
            if (info->NextEntryOffset == 0) break;
            record += info->NextEntryOffset;
        }
    }
}

// The plain search, for the file systems that cannot list by handle.
void FileEnumerator::ListBySearch(const std::wstring& folder, std::vector<Found>& entries) const {
    WIN32_FIND_DATAW data{};
    bralto::UniqueFindHandle find(FindFirstFileW(JoinPath(folder.empty() ? L"." : folder, L"*").c_str(), &data));
    if (!find) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        Found found;
        found.path = JoinPath(folder, name);
        found.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.attributes = data.dwFileAttributes;
        found.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        found.writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
        entries.push_back(found);
    } while (FindNextFileW(find.get(), &data));
}

std::vector<FileEnumerator::Found> FileEnumerator::List(const std::wstring& folder) const {
    std::vector<Found> entries;
    if (!ListByHandle(folder, entries)) ListBySearch(folder, entries);
    std::sort(entries.begin(), entries.end(), [](const Found& a, const Found& b) {
        return CompareStringOrdinal(a.path.c_str(), -1, b.path.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    return entries;
}

bool FileEnumerator::AddFound(const Found& found) {
    if (found.isDirectory && (!options_.folderEntries || options_.junkFolders)) return false;
    std::wstring full = FullPathOf(found.path);
    std::wstring key = bralto::Upper(full);
    if (key == bralto::Upper(options_.excludedFullPath)) return false;
    if (!seenPaths_.insert(key).second) return false;  // named twice: one member

    std::wstring stored = StoredPath(found.path);
    if (options_.junkFolders) {
        size_t slash = stored.find_last_of(L'/');
        if (slash != std::wstring::npos) stored.erase(0, slash + 1);
    }
    if (stored.empty()) return false;
    if (found.isDirectory) stored += L'/';

    zipcore::SourceFile source;
    source.info.storedName = ToUtf8(stored);
    source.info.utf8Name = !IsAscii(stored);
    source.info.isDirectory = found.isDirectory;
    source.info.expectedSize = found.isDirectory ? 0 : found.size;
    source.info.attributes = found.attributes & kKeptAttributes;
    SetTimes(source.info, found.writeTime);
    source.displayName = ToAnsi(stored);
    source.path = ToUtf8(full);
    source.displayPath = ToAnsi(full);
    sources_.push_back(source);
    return true;
}

void FileEnumerator::AddEverythingBelow(const std::wstring& folder) {
    Descent descent(*this, folder);
    for (const Found& entry : List(folder)) {
        if (Skipped(entry.attributes) || IsLinkedFolder(entry)) continue;
        AddFound(entry);
        if (entry.isDirectory) AddEverythingBelow(entry.path);
    }
}

bool FileEnumerator::MatchIn(const std::wstring& folder, const std::wstring& mask) {
    Descent descent(*this, folder);
    bool matched = false;
    std::string utf8Mask = ToUtf8(mask);
    std::vector<Found> entries = List(folder);
    for (const Found& entry : entries) {
        if (Skipped(entry.attributes)) continue;
        size_t slash = entry.path.find_last_of(L"\\:");
        std::wstring name = slash == std::wstring::npos ? entry.path : entry.path.substr(slash + 1);
        if (!zipcore::DosMaskMatch(utf8Mask, ToUtf8(name))) continue;
        // Without recursion a folder is stored empty, a link to one as well.
        if (options_.recurse != 0 && IsLinkedFolder(entry)) continue;
        matched = true;
        AddFound(entry);
        if (entry.isDirectory && options_.recurse == 1) AddEverythingBelow(entry.path);
    }
    if (options_.recurse == 2) {
        for (const Found& entry : entries) {
            if (!entry.isDirectory || Skipped(entry.attributes) || IsLinkedFolder(entry)) continue;
            matched = MatchIn(entry.path, mask) || matched;
        }
    }
    return matched;
}

bool FileEnumerator::AddSpec(const std::wstring& rawSpec) {
    std::wstring spec = rawSpec;
    std::replace(spec.begin(), spec.end(), L'/', L'\\');
    while (spec.size() > 1 && spec.back() == L'\\' && spec[spec.size() - 2] != L':') spec.pop_back();
    if (spec.empty()) return false;
    size_t slash = spec.find_last_of(L"\\:");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : spec.substr(0, slash + 1);
    std::wstring name = slash == std::wstring::npos ? spec : spec.substr(slash + 1);
    if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();

    if (name.find_first_of(L"*?") != std::wstring::npos) return MatchIn(folder, name);

    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(spec.c_str(), GetFileExInfoStandard, &data)) return false;
    Found found;
    found.path = spec;
    found.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found.attributes = data.dwFileAttributes;
    found.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    found.writeTime = (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    if (Skipped(found.attributes)) return false;
    AddFound(found);
    if (found.isDirectory && options_.recurse != 0) AddEverythingBelow(spec);
    return true;
}

}  // namespace qnrz
