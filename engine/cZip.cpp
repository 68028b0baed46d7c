#include "cZip.h"

namespace bralto {

namespace {

// Turns fDeleteEntries off again however the job ends.
class DeleteModeGuard {
public:
    explicit DeleteModeGuard(ZipOptionRecord& options) : options_(options) { options_.DeleteEntries(true); }
    ~DeleteModeGuard() { options_.DeleteEntries(false); }
    DeleteModeGuard(const DeleteModeGuard&) = delete;
    DeleteModeGuard& operator=(const DeleteModeGuard&) = delete;

private:
    ZipOptionRecord& options_;
};

}  // namespace

long cZip::Zip() { return RunZip(this, options_.Record(), specs_.All(), specs_.Count()); }

long cZip::Delete() {
    DeleteModeGuard deleting(options_);
    return RunZip(this, options_.Record(), specs_.All(), specs_.Count());
}

void cZip::RaiseProgress(const std::wstring& message) {
    if (listener_) listener_->Progress(message);
}

void cZip::RaiseCancel(const std::wstring& message, bool& cancel) {
    if (listener_) listener_->Cancel(message, cancel);
}

void cZip::RaisePasswordRequest(std::wstring& password, bool& cancel) {
    if (listener_) listener_->PasswordRequest(password, cancel);
}

void cZip::RaiseCommentRequest(std::wstring& comment, bool& cancel, bool& clear) {
    if (listener_) listener_->CommentRequest(comment, cancel, clear);
}

}  // namespace bralto
