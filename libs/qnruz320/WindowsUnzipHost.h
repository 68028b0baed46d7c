// The unzip job's host on Windows: the caller's callbacks (USERFUNCTIONS),
// code pages, and the Win32 file system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BlockPool.h"
#include "CngCrypto.h"
#include "UnzipJob.h"
#include "unzip_api.h"

namespace qnruz {

class WindowsUnzipHost : public zipcore::UnzipHost {
public:
    static constexpr size_t kWriteBufferBytes = 1024 * 1024;

    // `callbacks` may be null (no messages, no answers: safe defaults).
    explicit WindowsUnzipHost(USERFUNCTIONS* callbacks) : callbacks_(callbacks) {}

    std::string DecodeMemberName(const std::string& raw, bool utf8) override;
    std::string ToInterface(const std::string& utf8) override;
    std::string FromInterface(const std::string& text) override;

    void Print(const std::string& text) override;
    int Replace(const std::string& path) override;
    bool Password(const std::string& prompt, const std::string& member, std::string& password) override;
    std::vector<std::string> PasswordForms(const std::string& password) override;
    void DirectoryEntry(const zipcore::ListingEntry& entry) override;
    bool Stop(const std::string& member, uint64_t size) override;
    zipcore::CryptoProvider* Crypto() override { return &crypto_; }

    std::unique_ptr<zipcore::ArchiveInput> OpenArchive(const std::string& path) override;
    zipcore::FileFacts Stat(const std::string& path) override;
    zipcore::FolderState MakeDirectory(const std::string& path) override;
    std::string FolderKey(const std::string& path) override;
    std::unique_ptr<zipcore::ExtractedFile> CreateTemporary(const std::string& folder) override;
    std::unique_ptr<zipcore::ExtractedFile> CreateInPlace(const std::string& path) override;
    unsigned FileWorkers() override;
    void SetFolderTime(const std::string& path, int64_t unixTime) override;
    int64_t LocalTimeToUnix(const zipcore::DateTime& local) override;
    zipcore::PathLimits Limits() override;
    size_t PathUnits(const std::string& path) override;

private:
    USERFUNCTIONS* callbacks_;
    CngCrypto crypto_;
    // Write buffers lent to the files being written, several at a time when
    // workers write small files: one for the job's thread and each worker.
    zipcore::BlockPool writeBuffers_{kWriteBufferBytes, kWriteBufferBytes, 5};
};

// Opens an archive named in ANSI text for reading; nullptr when it is
// missing or not a regular file.
std::unique_ptr<zipcore::ArchiveInput> OpenArchiveFile(const std::string& ansiPath);

}  // namespace qnruz
