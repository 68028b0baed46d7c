// The zip job's host on Windows: Win32 files (the temporary archive beside
// the target, replaced with MoveFileEx only when complete) and the caller's
// ZIPUSERFUNCTIONS callbacks.
#pragma once

#include <string>

#include "ZipJob.h"
#include "zip_api.h"

namespace qnrz {

class WindowsZipHost : public zipcore::ZipJobHost {
public:
    // `callbacks` may hold null entries: a missing print drops messages, a
    // missing service never stops, missing password or comment callbacks
    // answer nothing.
    explicit WindowsZipHost(const ZIPUSERFUNCTIONS& callbacks) : callbacks_(callbacks) {}

    bool ArchiveExists(const std::string& archivePath) override;
    std::unique_ptr<zipcore::ArchiveInput> OpenArchive(const std::string& archivePath) override;
    std::unique_ptr<zipcore::TemporaryArchive> CreateTemporary(const std::string& archivePath) override;
    std::unique_ptr<zipcore::InputStream> OpenSource(const zipcore::SourceFile& source) override;
    bool RemoveSource(const zipcore::SourceFile& source) override;
    std::string DisplayName(const std::string& storedName, bool utf8) override;
    void Print(const std::string& text) override;
    bool ShouldStop(const std::string& displayName, uint64_t size) override;
    bool AskPassword(std::string& password) override;
    void AskComment(std::string& comment) override;

private:
    ZIPUSERFUNCTIONS callbacks_;
};

}  // namespace qnrz
