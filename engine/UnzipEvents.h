// The two interfaces of an unzip job in the archive engine.
//
// IUnzipEvents is what an unzip object's listener receives (cUnzip's events
// in Bralto; cAsyncUnzip forwards the same events across processes). The
// answers are by reference and start as documented on each event.
//
// IUnzipJob is the object that starts a job with RunUnzip: the library's
// callbacks reach it while the job runs (cUnzip here, cAsyncUnzip in the
// server).
#pragma once

#include <string>

namespace bralto {

class IUnzipEvents {
public:
    virtual ~IUnzipEvents() = default;
    // One message line of the library, slashes turned into backslashes.
    virtual void Progress(const std::wstring& message) = 0;
    // Before each member; set cancel (starts false) to stop the job.
    virtual void Cancel(const std::wstring& message, bool& cancel) = 0;
    // response starts at 100: 100 keep the file, 102 overwrite it,
    // 103 overwrite all, 104 overwrite none.
    virtual void OverwritePrompt(const std::wstring& file, long& response) = 0;
    // password starts "", cancel false; set the password, or cancel.
    virtual void PasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) = 0;
};

// Automation date (days since 1899-12-30, time as the fraction).
using AutomationDate = double;

// One member of a listing as the directory-entry callback reports it.
struct UnzipMemberEntry {
    std::wstring name;        // after the last separator
    std::wstring folder;      // before it, backslashes, no trailing separator
    AutomationDate date = 0;  // to the minute
    // The library's 32-bit sizes, unsigned: up to 0xFFFFFFFF (its bound for a larger member).
    long long compressedSize = 0;
    long long uncompressedSize = 0;
    long crc = 0;
    bool encrypted = false;
    long ratio = 0;  // percent, signed 16-bit range
    std::wstring method;
};

class IUnzipJob {
public:
    virtual ~IUnzipJob() = default;
    virtual void AddMemberEntry(const UnzipMemberEntry& entry) = 0;
    virtual void RaiseProgress(const std::wstring& message) = 0;
    virtual void RaiseCancel(const std::wstring& message, bool& cancel) = 0;
    virtual void RaiseOverwritePrompt(const std::wstring& file, long& response) = 0;
    virtual void RaisePasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) = 0;
};

}  // namespace bralto
