// Small files written by the workers of a FileWriterPool: which members
// go there, and what the job does with each file it takes back.
#include "UnzipJobParts.h"

namespace zipcore::unzip_job {

bool Job::WorthHandingOver(const Member& member) {
    if (member.info->uncompressedSize > FileWriterPool::kLargestFile) return false;
    if (!files_) {
        unsigned workers = host_.FileWorkers();
        if (workers == 0) return false;
        files_ = std::make_unique<FileWriterPool>(host_, workers);
    }
    return true;
}

// The member is read and checked here, whole, then handed to a worker to
// be created under its free name; a failed member reaches no worker.
void Job::HandOver(const Member& member, const std::string& finalPath, MemberExtractor& extractor) {
    MemoryFile memory(files_->Buffer(static_cast<size_t>(member.info->uncompressedSize)));
    ExtractStatus status = WriteMember(memory, member, extractor);
    if (status != ExtractStatus::Ok) {
        files_->GiveBack(std::move(memory.bytes));
        SayExtracting(member, finalPath);
        return ReportFailure(member, status, extractor);
    }
    TakeBackFiles(false);
    FileWriterPool::File file;
    file.member = static_cast<size_t>(&member - members_.data());
    file.path = finalPath;
    file.key = host_.FolderKey(finalPath);
    file.bytes = std::move(memory.bytes);
    file.stamp = StampOf(*member.info);
    files_->Hand(std::move(file));
}

// Takes back the files that are done, oldest first; `all`: every file,
// waiting for them. Otherwise only a full pool is waited on, until it has
// room for a good number of files.
void Job::TakeBackFiles(bool all) {
    if (!files_ || settling_) return;
    settling_ = true;
    using Wait = FileWriterPool::Wait;
    for (FileWriterPool::File& file : files_->TakeDone(all ? Wait::ForAll : files_->Full() ? Wait::ForRoom : Wait::No)) {
        Settle(file);
        files_->GiveBack(std::move(file.bytes));
    }
    settling_ = false;
}

// Says what became of a file taken back, as if the job had written it.
void Job::Settle(FileWriterPool::File& file) {
    const Member& member = members_[file.member];
    switch (file.outcome) {
    case FileWriterPool::Outcome::Written:
        SayExtracting(member, file.path);
        break;
    case FileWriterPool::Outcome::NameTaken: return WriteOverTakenName(member, file);
    case FileWriterPool::Outcome::WriteFailed:
        // The job stops at a full disk: the files handed over after the
        // first failure say nothing more.
        if (counts_.diskFull) return;
        SayExtracting(member, file.path);
        return ReportFailure(member, ExtractStatus::WriteFailed, Extractor());
    case FileWriterPool::Outcome::CommitFailed:
        SayExtracting(member, file.path);
        CannotCreate(file.path);
        break;
    }
    if (member.info->IsEncrypted()) ++counts_.decrypted;
}

// The name was free when the member was handed over and is taken now (by
// an earlier member under another form of the name, or by another
// program): the overwrite rules decide, and an existing file is replaced
// through a temporary one.
void Job::WriteOverTakenName(const Member& member, FileWriterPool::File& file) {
    bool exists = false;
    if (!MayWrite(member, file.path, exists)) return;
    std::unique_ptr<ExtractedFile> target = exists ? nullptr : host_.CreateInPlace(file.path);
    if (!target) target = host_.CreateTemporary(file.path.substr(0, file.path.find_last_of("/\\") + 1));
    if (!target) return CannotCreate(file.path);
    SayExtracting(member, file.path);
    if (!file.bytes.empty() && !target->Write(file.bytes.data(), file.bytes.size())) {
        if (!counts_.diskFull) ReportFailure(member, ExtractStatus::WriteFailed, Extractor());
        return;
    }
    if (!target->Commit(file.path, file.stamp)) CannotCreate(file.path);
    if (member.info->IsEncrypted()) ++counts_.decrypted;
}

}  // namespace zipcore::unzip_job
