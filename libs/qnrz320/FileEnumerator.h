// Finds the files a zip job's specifications name: plain names, folders and
// masks ('*', '?'), with or without recursion, hidden and system files only
// on request. Names are stored as the specification gives the path, without
// drive, leading separators or "." and ".." steps, with '/' separators.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "ZipJob.h"

namespace qnrz {

struct EnumerationOptions {
    int recurse = 0;  // 0 none; 1 into named folders; 2 into every folder, mask in each
    bool includeHiddenAndSystem = false;
    bool folderEntries = true;
    bool junkFolders = false;       // store names without their folders
    std::wstring excludedFullPath;  // the archive itself
};

class FileEnumerator {
public:
    explicit FileEnumerator(EnumerationOptions options) : options_(std::move(options)) {}

    // Adds what `spec` names; false when it names nothing.
    bool AddSpec(const std::wstring& spec);

    const std::vector<zipcore::SourceFile>& Sources() const { return sources_; }
    // Folders not entered: reparse points (junctions, symbolic links to
    // folders) and folders that are one of their own parents (a link the
    // system does not mark), as the specification spells them.
    const std::vector<std::wstring>& SkippedLinks() const { return skippedLinks_; }

private:
    struct Found {
        std::wstring path;  // as the specification spells it
        bool isDirectory;
        unsigned long attributes;
        unsigned long long size;
        unsigned long long writeTime;  // FILETIME ticks, UTC
        unsigned long long number = 0;  // file number, when the listing gave it
        bool hasNumber = false;
    };

    class Descent;

    bool Skipped(unsigned long attributes) const;
    bool IsLinkedFolder(const Found& found);
    bool FileNumberOfFolder(const std::wstring& folder, unsigned long long& number);
    bool AddFound(const Found& found);
    void AddEverythingBelow(const std::wstring& folder);
    bool MatchIn(const std::wstring& folder, const std::wstring& mask);
    std::vector<Found> List(const std::wstring& folder) const;
    bool ListByHandle(const std::wstring& folder, std::vector<Found>& entries) const;
    void ListBySearch(const std::wstring& folder, std::vector<Found>& entries) const;

    EnumerationOptions options_;
    std::vector<zipcore::SourceFile> sources_;
    std::set<std::wstring> seenPaths_;  // full paths, upper case
    struct FolderMark {
        std::wstring path;
        unsigned long long number;  // file number; the volume is asked only when two match
    };
    std::vector<FolderMark> ancestors_;  // the folders being walked, outermost first
    struct AskedFolder {
        std::wstring path;
        unsigned long long number = 0;
        bool known = false;
    };
    AskedFolder lastAsked_;  // the folder asked for last
    std::vector<std::wstring> skippedLinks_;
    std::set<std::wstring> skippedKeys_;  // full paths, upper case
};

// The stored form of a path as a specification spells it.
std::wstring StoredPath(const std::wstring& path);

}  // namespace qnrz
