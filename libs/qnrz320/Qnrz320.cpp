// qnrz320.dll: Info-ZIP's Zip DLL interface over the portable Zip core.
// ZpInit and ZpSetOptions store the caller's callbacks and options;
// ZpArchive finds the files and runs one job with them.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "FileEnumerator.h"
#include "WindowsZipHost.h"
#include "ZipJob.h"
#include "ZipText.h"
#include "zip_api.h"

namespace {

// What ZpSetOptions stored; the strings are copies owned here.
struct StoredOptions {
    ZPOPT record{};
    std::string date;
    std::string rootDir;
    std::string tempDir;
};

// The stored callbacks and options, and the running job: a callback may
// call back into the library (ZpGetOptions) while a job runs.
std::mutex g_stateMutex;
std::mutex g_jobMutex;
ZIPUSERFUNCTIONS g_callbacks{};
StoredOptions g_options;

std::string CopyOf(LPCSTR text) { return text ? std::string(text) : std::string(); }

// Restores the process's current folder when a job that moved into its
// root folder ends, however it ends.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() {
        DWORD length = GetCurrentDirectoryW(0, nullptr);
        saved_.resize(length);
        length = GetCurrentDirectoryW(length, saved_.data());
        saved_.resize(length);
    }
    ~CurrentFolderGuard() {
        if (moved_) SetCurrentDirectoryW(saved_.c_str());
    }
    CurrentFolderGuard(const CurrentFolderGuard&) = delete;
    CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;
    bool MoveTo(const std::wstring& folder) {
        moved_ = SetCurrentDirectoryW(folder.c_str()) != FALSE;
        return moved_;
    }

private:
    std::wstring saved_;
    bool moved_ = false;
};

std::wstring FullPath(const std::wstring& path) {
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

int LevelOf(char digit) { return digit >= '0' && digit <= '9' ? digit - '0' : 6; }

zipcore::ZipJobOptions JobOptions(const ZPOPT& record) {
    zipcore::ZipJobOptions options;
    options.level = LevelOf(record.fLevel);
    options.encrypt = record.fEncrypt != 0;
    options.update = record.fUpdate != 0;
    options.freshen = record.fFreshen != 0;
    options.move = record.fMove != 0;
    options.deleteEntries = record.fDeleteEntries != 0;
    options.comment = record.fComment != 0;
    options.quiet = record.fQuiet != 0 && record.fVerbose == 0;
    if (record.fCRLF_LF) {
        options.conversion = zipcore::TextConversion::CrLfToLf;
    } else if (record.fLF_CRLF) {
        options.conversion = zipcore::TextConversion::LfToCrLf;
    }
    return options;
}

int RunArchiveJob(const ZCL& names, const ZIPUSERFUNCTIONS& callbacks, const StoredOptions& stored) {
    if (!names.lpszZipFN || !names.lpszZipFN[0] || names.argc < 0 || (names.argc > 0 && !names.FNV)) {
        return zipcore::kZipParameters;
    }
    qnrz::WindowsZipHost host(callbacks);
    CurrentFolderGuard folder;
    bool hasRoot = stored.rootDir.find_first_not_of(' ') != std::string::npos;  // blank: none
    if (hasRoot && !folder.MoveTo(qnrz::FromAnsi(stored.rootDir))) {
        host.Print("zip error: cannot change to folder " + stored.rootDir);
        host.Print("\n");
        return zipcore::kZipParameters;
    }
    std::wstring archive = FullPath(qnrz::FromAnsi(names.lpszZipFN));
    std::vector<std::string> specs;
    for (int i = 0; i < names.argc && names.FNV[i]; ++i) {
        if (names.FNV[i][0]) specs.push_back(names.FNV[i]);
    }

    const ZPOPT& record = stored.record;
    zipcore::ZipJobOptions options = JobOptions(record);
    qnrz::EnumerationOptions enumeration;
    enumeration.recurse = record.fRecurse;
    enumeration.includeHiddenAndSystem = record.fSystem != 0;
    enumeration.folderEntries = record.fNoDirEntries == 0;
    enumeration.junkFolders = record.fJunkDir != 0;
    enumeration.excludedFullPath = archive;
    qnrz::FileEnumerator enumerator(enumeration);
    if (!options.deleteEntries) {
        for (const std::string& spec : specs) {
            if (!enumerator.AddSpec(qnrz::FromAnsi(spec))) {
                host.Print("        zip warning: name not matched: " + spec);
                host.Print("\n");
            }
        }
    }
    for (const std::wstring& link : enumerator.SkippedLinks()) {
        host.Print("        zip warning: link to a folder not followed: " + qnrz::ToAnsi(link));
        host.Print("\n");
    }
    return zipcore::RunZipJob(options, enumerator.Sources(), specs, qnrz::ToUtf8(archive), host);
}

}  // namespace

extern "C" {

int WINAPI ZpInit(LPZIPUSERFUNCTIONS functions) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    if (!functions) return 0;
    g_callbacks = *functions;
    return 1;
}

BOOL WINAPI ZpSetOptions(LPZPOPT options) {
    if (!options) return FALSE;
    try {
        std::lock_guard<std::mutex> lock(g_stateMutex);
        g_options.record = *options;
        g_options.date = CopyOf(options->Date);
        g_options.rootDir = CopyOf(options->szRootDir);
        g_options.tempDir = CopyOf(options->szTempDir);
        g_options.record.Date = g_options.date.data();
        g_options.record.szRootDir = g_options.rootDir.data();
        g_options.record.szTempDir = g_options.tempDir.data();
        return TRUE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
}

ZPOPT WINAPI ZpGetOptions(void) {
    std::lock_guard<std::mutex> lock(g_stateMutex);
    return g_options.record;
}

int WINAPI ZpArchive(ZCL names) {
    // One job at a time: the options and callbacks are the process's.
    std::lock_guard<std::mutex> job(g_jobMutex);
    try {
        ZIPUSERFUNCTIONS callbacks;
        StoredOptions options;
        {
            std::lock_guard<std::mutex> lock(g_stateMutex);
            callbacks = g_callbacks;
            options.record = g_options.record;
            options.rootDir = g_options.rootDir;
        }
        return RunArchiveJob(names, callbacks, options);
    } catch (const std::bad_alloc&) {
        return zipcore::kZipMemory;
    } catch (...) {
        return zipcore::kZipLogic;
    }
}

}  // extern "C"
