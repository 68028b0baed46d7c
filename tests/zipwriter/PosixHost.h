// A POSIX host for the portable zip job: real files, a temporary archive
// beside the target, and callbacks the tests script. Also used by the
// command-line driver of the benchmark.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ZipJob.h"

namespace ziptest {

class PosixHost : public zipcore::ZipJobHost {
public:
    bool ArchiveExists(const std::string& archivePath) override;
    std::unique_ptr<zipcore::ArchiveInput> OpenArchive(const std::string& archivePath) override;
    std::unique_ptr<zipcore::TemporaryArchive> CreateTemporary(const std::string& archivePath) override;
    std::unique_ptr<zipcore::InputStream> OpenSource(const zipcore::SourceFile& source) override;
    bool RemoveSource(const zipcore::SourceFile& source) override;
    std::string DisplayName(const std::string& storedName, bool utf8) override { return storedName; }
    void Print(const std::string& text) override;
    bool ShouldStop(const std::string& displayName, uint64_t size) override;
    bool AskPassword(std::string& password) override;
    void AskComment(std::string& comment) override;

    // Scripted answers.
    std::function<bool(const std::string& name)> stopBefore;
    std::string password;
    bool hasComment = false;
    std::string comment;
    // Fails every write once this many bytes have been written (a full disk).
    long long failWritesAfter = -1;

    // What the job said: every print call, in order, and the joined lines.
    std::vector<std::string> prints;
    std::string Transcript() const;
    int passwordRequests = 0;
    int commentRequests = 0;
};

// Files and folders under `root`, stored relative to it, as the platform
// enumeration would find them with recursion. `junk` stores names only.
std::vector<zipcore::SourceFile> CollectSources(const std::string& root, bool includeDirectories = true,
                                                bool junk = false);

}  // namespace ziptest
