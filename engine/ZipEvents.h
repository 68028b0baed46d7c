// The two interfaces of a zip job in the archive engine.
//
// IZipEvents is what a zip object's listener receives (cZip's events in
// Bralto; cAsyncZip forwards the same events across processes). The answers
// are by reference and start as documented on each event.
//
// IZipJob is the object that starts a job with RunZip: RunZip reads its
// archive and base folder, and the library's callbacks reach it while the
// job runs (cZip here, cAsyncZip in the server).
#pragma once

#include <string>

namespace bralto {

class IZipEvents {
public:
    virtual ~IZipEvents() = default;
    // One message piece of the library, slashes turned into backslashes.
    virtual void Progress(const std::wstring& message) = 0;
    // Before each file; set cancel (starts false) to stop the job.
    virtual void Cancel(const std::wstring& message, bool& cancel) = 0;
    // password starts "", cancel false; set the password, or cancel.
    virtual void PasswordRequest(std::wstring& password, bool& cancel) = 0;
    // comment starts "", cancel and clear false: set a comment to replace
    // the archive's, clear to empty it, or nothing (or cancel) to keep it.
    virtual void CommentRequest(std::wstring& comment, bool& cancel, bool& clear) = 0;
};

class IZipJob {
public:
    virtual ~IZipJob() = default;
    virtual std::wstring ZipFile() const = 0;
    virtual std::wstring BasePath() const = 0;
    virtual void RaiseProgress(const std::wstring& message) = 0;
    virtual void RaiseCancel(const std::wstring& message, bool& cancel) = 0;
    virtual void RaisePasswordRequest(std::wstring& password, bool& cancel) = 0;
    virtual void RaiseCommentRequest(std::wstring& comment, bool& cancel, bool& clear) = 0;
};

}  // namespace bralto
