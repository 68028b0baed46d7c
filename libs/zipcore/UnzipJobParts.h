// The unzip job's inner parts, shared by its source files: the job itself
// (UnzipJob.cpp), its target and overwrite rules (UnzipTargets.cpp) and its
// messages and result codes (UnzipMessages.cpp). Not part of the core's
// interface.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ArchiveReader.h"
#include "ExtractionPipeline.h"
#include "FileWriterPool.h"
#include "MemberExtractor.h"
#include "UnzipJob.h"

namespace zipcore::unzip_job {

constexpr int kReplaceNo = 100;
constexpr int kReplaceYes = 102;
constexpr int kReplaceAll = 103;
constexpr int kReplaceNone = 104;
constexpr int kPasswordAttempts = 3;

// Discards bytes: what a test extracts to.
class NullSink : public MemberSink {
public:
    bool Write(const uint8_t*, size_t) override { return true; }
};

// Writes a member into its temporary file through the pipeline,
// optionally turning lone LF line ends into CR LF (text conversion) in
// `scratch`, a buffer the job lends to every member; the CRC is checked on
// the original bytes by the extractor.
class FileSink : public MemberSink {
public:
    FileSink(ExtractionPipeline& pipeline, bool convertLineEnds, std::vector<uint8_t>& scratch)
        : pipeline_(pipeline), convert_(convertLineEnds), converted_(scratch) {}

    bool Write(const uint8_t* data, size_t size) override {
        if (!convert_) return pipeline_.Write(data, size);
        converted_.clear();
        for (size_t i = 0; i < size; ++i) {
            if (data[i] == '\n' && previous_ != '\r') converted_.push_back('\r');
            converted_.push_back(data[i]);
            previous_ = data[i];
        }
        return pipeline_.Write(converted_.data(), converted_.size());
    }

private:
    ExtractionPipeline& pipeline_;
    bool convert_;
    uint8_t previous_ = 0;
    std::vector<uint8_t>& converted_;
};

// Collects a member's bytes for a worker to write (FileWriterPool); it is
// never a file itself.
class MemoryFile : public ExtractedFile {
public:
    explicit MemoryFile(std::vector<uint8_t> buffer) : bytes(std::move(buffer)) {}
    bool Write(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    bool Commit(const std::string&, const FileStamp&) override { return true; }

    std::vector<uint8_t> bytes;
};

struct JobCounts {
    int tested = 0;  // members tested, folders included, whatever the outcome
    int errors = 0;  // members that failed
    int unsupported = 0;
    int wrongPassword = 0;  // encrypted members skipped for want of a password
    int decrypted = 0;      // encrypted members that were read
    bool diskFull = false;
    bool stopped = false;
};

class Job {
public:
    Job(const UnzipOptions& options, UnzipHost& host) : options_(options), host_(host) {}

    int Run(ListingTotals* totals);

private:
    struct Member {
        const MemberInfo* info;
        std::string utf8Name;   // '/' separators
        std::string shownName;  // interface text
    };

    int OpenArchive();
    int ReportOpenFailure(OpenResult result);
    void DecodeNames();
    bool IsSelected(const Member& member);
    int List(ListingTotals* totals);
    int DisplayComment();
    int TestOrExtract();
    void ProcessMember(const Member& member);
    void TestMember(const Member& member);
    void ExtractMember(const Member& member);
    ExtractStatus WriteMember(ExtractedFile& file, const Member& member, MemberExtractor& extractor);
    bool WorthHandingOver(const Member& member);
    void HandOver(const Member& member, const std::string& finalPath, MemberExtractor& extractor);
    void TakeBackFiles(bool all);
    void Settle(FileWriterPool::File& file);
    void WriteOverTakenName(const Member& member, FileWriterPool::File& file);
    void CannotCreate(const std::string& path);
    void SayExtracting(const Member& member, const std::string& path);
    // Before the job looks for a name on disk that a worker may still be
    // creating.
    void AwaitPath(const std::string& path) {
        if (files_ && files_->Holds(host_.FolderKey(path))) TakeBackFiles(true);
    }
    void CreateFolderEntry(const Member& member);
    bool ChooseTarget(const Member& member, std::string& relative, std::string& finalPath);
    bool WithinLimits(const Member& member, const std::vector<std::string>& components);
    void Refuse(const Member& member, const std::string& reason);
    std::string NameInMessage(const Member& member) const;
    void RestoreFolderTimes();
    void SayTestSummary();
    bool MayWrite(const Member& member, const std::string& finalPath, bool& exists);
    bool MakeParentFolders(const std::string& relative);
    bool EnsureFolder(const std::string& path, int depth);
    bool InFolderMadeByJob(const std::string& relative) const;
    bool ObtainPassword(const Member& member, MemberExtractor& extractor);
    int64_t MemberTime(const MemberInfo& info);
    FileStamp StampOf(const MemberInfo& info);
    void ReportFailure(const Member& member, ExtractStatus status, MemberExtractor& extractor);
    int FinalCode();
    // One line per member: only at the full message level.
    void SayPerMember(const std::string& text) {
        if (options_.quiet < 1) Tell(text);
    }
    // Cautions: silenced only at the lowest level.
    void Say(const std::string& text) {
        if (options_.quiet < 2) Tell(text);
    }
    void SayAlways(const std::string& text) { Tell(text); }
    void Tell(const std::string& text) {
        InArchiveOrder();
        host_.Print(text);
    }
    // What the caller hears of the files with the workers comes when they
    // are taken back: the job takes them all back before it says or asks
    // anything itself, so that the caller hears of the members in the
    // archive's order.
    void InArchiveOrder() {
        if (files_ && !settling_) TakeBackFiles(true);
    }
    // One extractor for every member: its buffers are reused.
    MemberExtractor& Extractor() {
        if (!extractor_) extractor_ = std::make_unique<MemberExtractor>(*input_, host_.Crypto());
        return *extractor_;
    }

    const UnzipOptions& options_;
    UnzipHost& host_;
    std::unique_ptr<ArchiveInput> input_;
    std::unique_ptr<ExtractionPipeline> pipeline_;  // started by the first extracted file
    std::unique_ptr<MemberExtractor> extractor_;    // made by the first tested or extracted member
    std::unique_ptr<FileWriterPool> files_;         // started by the first small file handed over
    bool settling_ = false;                         // taking files back from the workers
    std::vector<uint8_t> convertedBytes_;           // text conversion's output, reused
    ArchiveReader reader_;
    std::vector<Member> members_;
    std::vector<bool> includeMatched_;
    bool anyMatched_ = false;
    std::string folder_;  // extraction folder, UTF-8, ends with '/' unless empty
    // Folders made or found by the job (by the host's FolderKey of their
    // full paths, no final '/'), true for those it created itself.
    std::unordered_map<std::string, bool> folders_;
    bool extractionFolderMade_ = false;
    // Folder entries made, with their stored times, set at the end.
    std::vector<std::pair<std::string, int64_t>> folderTimes_;
    std::string password_;  // last password that worked
    bool havePassword_ = false;
    bool overwriteAll_ = false;
    bool overwriteNone_ = false;
    JobCounts counts_;
};

}  // namespace zipcore::unzip_job
