#include "UnzipJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ArchiveReader.h"
#include "UnzipJobParts.h"
#include "MemberExtractor.h"
#include "MemberNames.h"
#include "PathSafety.h"
#include "MemberPattern.h"
#include "WinZipAes.h"
#include "ZipFormat.h"

namespace zipcore {

namespace unzip_job {

int Job::Run(ListingTotals* totals) {
    int code = OpenArchive();
    if (code != kUnzipOk) return code;
    if (options_.displayComment && !options_.list && !options_.test) return DisplayComment();
    if (reader_.Members().empty()) {
        SayAlways("warning [" + options_.archivePath + "]:  zipfile is empty\n");
        return kUnzipWarning;
    }
    DecodeNames();
    if (options_.list && !options_.test) return List(totals);
    return TestOrExtract();
}

int Job::OpenArchive() {
    input_ = host_.OpenArchive(options_.archivePath);
    if (!input_) input_ = host_.OpenArchive(options_.archivePath + ".zip");
    if (!input_) {
        SayAlways("cannot find either " + options_.archivePath + " or " + options_.archivePath + ".zip.\n");
        return kUnzipNoZipFile;
    }
    OpenResult result = reader_.Open(*input_);
    if (result != OpenResult::Ok) return ReportOpenFailure(result);
    if (reader_.DiskNumber() != 0) {
        SayAlways("error [" + options_.archivePath + "]:  this is disk " + std::to_string(reader_.DiskNumber() + 1) +
                  " of a multi-part archive; multi-part archives are not supported.\n");
        // A listing keeps unzip's warning (callers tell the user it is the
        // last disk of a split archive); a test or an extraction that did
        // nothing is an error.
        return options_.list && !options_.test ? kUnzipWarning : kUnzipError;
    }
    return kUnzipOk;
}

void Job::DecodeNames() {
    members_.reserve(reader_.Members().size());
    for (const MemberInfo& info : reader_.Members()) {
        Member member{&info, {}, {}};
        if (!KnownUtf8Name(info, member.utf8Name)) member.utf8Name = host_.DecodeMemberName(info.rawName, false);
        std::replace(member.utf8Name.begin(), member.utf8Name.end(), '\\', '/');
        member.shownName = host_.ToInterface(member.utf8Name);
        members_.push_back(std::move(member));
    }
    includeMatched_.assign(options_.include.size(), false);
}

bool Job::IsSelected(const Member& member) {
    bool included = options_.include.empty();
    for (size_t i = 0; i < options_.include.size(); ++i) {
        if (MemberPatternMatch(options_.include[i], member.shownName, options_.ignoreCase)) {
            includeMatched_[i] = true;
            included = true;
        }
    }
    if (!included) return false;
    for (const std::string& pattern : options_.exclude)
        if (MemberPatternMatch(pattern, member.shownName, options_.ignoreCase)) return false;
    anyMatched_ = true;
    return true;
}

int Job::List(ListingTotals* totals) {
    ListingTotals sum;
    for (const Member& member : members_) {
        if (!IsSelected(member)) continue;
        const MemberInfo& info = *member.info;
        // The encryption's own bytes (the 12-byte header, or AES's salt,
        // verifier and code) are not member data: listings count an
        // encrypted member's compressed size without them, as Info-ZIP does.
        const uint64_t compressed = ListedCompressedSize(info);
        ListingEntry entry;
        entry.uncompressedSize = info.uncompressedSize;
        entry.compressedSize = compressed;
        entry.ratio = CompressionRatio(info.uncompressedSize, compressed);
        entry.modified = DosToDateTime(info.modDate, info.modTime);
        entry.path = member.shownName;
        // An AES member shows its real method; its encryption mark says the rest.
        entry.method = MethodText(DataMethodOf(info), info.flags);
        entry.crc32 = info.crc32;
        entry.encrypted = info.IsEncrypted();
        host_.DirectoryEntry(entry);
        sum.compressed += compressed;
        sum.uncompressed += info.uncompressedSize;
        ++sum.members;
    }
    sum.factor = CompressionRatio(sum.uncompressed, sum.compressed);
    sum.commentLength = reader_.Comment().size();
    if (totals) *totals = sum;
    return !options_.include.empty() && !anyMatched_ ? kUnzipNothingMatched : kUnzipOk;
}

int Job::DisplayComment() {
    // The comment as one text, then a short closing text the callers know.
    if (!reader_.Comment().empty()) SayAlways(reader_.Comment());
    SayAlways(std::string("\n\n\0", 3));
    return kUnzipOk;
}

int Job::TestOrExtract() {
    if (!options_.test) {
        folder_ = host_.FromInterface(options_.extractDir);
        if (!folder_.empty() && folder_.back() != '/' && folder_.back() != '\\') folder_ += '/';
        if (!EnsureFolder(folder_.substr(0, folder_.empty() ? 0 : folder_.size() - 1), 0)) {
            SayAlways("error:  cannot create extraction folder " + options_.extractDir + "\n");
            return kUnzipError;
        }
    }
    for (const Member& member : members_) {
        if (!IsSelected(member)) continue;
        if (host_.Stop(member.shownName, member.info->uncompressedSize)) {
            counts_.stopped = true;
            break;
        }
        ProcessMember(member);
        if (counts_.diskFull) break;
    }
    // Every file is complete (or reported) before the job sums up.
    TakeBackFiles(true);
    for (size_t i = 0; i < options_.include.size(); ++i)
        if (!includeMatched_[i]) Say("caution: filename not matched:  " + options_.include[i] + "\n");
    if (options_.test && !counts_.stopped) SayTestSummary();
    if (!options_.test) RestoreFolderTimes();
    return FinalCode();
}

void Job::ProcessMember(const Member& member) {
    if (options_.test) ++counts_.tested;
    if (member.info->IsDirectory()) {
        // Freshening only replaces existing files: it creates no folder.
        if (!options_.test && options_.keepFolders && !options_.freshen) CreateFolderEntry(member);
        return;
    }
    if (options_.test)
        TestMember(member);
    else
        ExtractMember(member);
}

void Job::TestMember(const Member& member) {
    MemberExtractor& extractor = Extractor();
    ExtractStatus status = extractor.Prepare(*member.info);
    if (status == ExtractStatus::Ok && member.info->IsEncrypted() && !ObtainPassword(member, extractor)) return;
    if (status == ExtractStatus::Ok) {
        NullSink sink;
        status = extractor.Extract(sink, password_);
    }
    if (status == ExtractStatus::Ok) {
        if (member.info->IsEncrypted()) ++counts_.decrypted;
        SayPerMember("    testing: " + NameInMessage(member) + "   OK\n");
        return;
    }
    ReportFailure(member, status, extractor);
}

void Job::ExtractMember(const Member& member) {
    std::string relative, finalPath;
    if (!ChooseTarget(member, relative, finalPath)) return;
    MemberExtractor& extractor = Extractor();
    ExtractStatus status = extractor.Prepare(*member.info);
    if (status != ExtractStatus::Ok) return ReportFailure(member, status, extractor);
    // An earlier member of the same name must be on disk before this one
    // looks at it.
    AwaitPath(finalPath);
    // A folder this job created holds only what the job wrote there, so a
    // name in it is taken to be free without a lookup (a lookup of a missing
    // name reads the whole folder under Wine); creating the file in place,
    // which fails on an existing name, then tells for sure.
    bool checked = options_.freshen || !InFolderMadeByJob(relative);
    bool exists = false;
    if (checked && !MayWrite(member, finalPath, exists)) return;
    if (member.info->IsEncrypted() && !ObtainPassword(member, extractor)) return;
    // Folders only for a member that is really written.
    if (!MakeParentFolders(relative)) return;
    if (!exists && WorthHandingOver(member)) return HandOver(member, finalPath, extractor);

    // A free name is written in place; an existing file is replaced through
    // a temporary file, so it stays whole until the new one is complete.
    std::unique_ptr<ExtractedFile> file;
    if (!exists) file = host_.CreateInPlace(finalPath);
    // Taken after all (by an earlier member of the same name, or of a name
    // differing only in case): the overwrite rules apply.
    if (!file && !checked && !MayWrite(member, finalPath, exists)) return;
    // Beside the target (the extraction folder may end with either
    // separator): a temporary file elsewhere may be on another volume.
    if (!file) file = host_.CreateTemporary(finalPath.substr(0, finalPath.find_last_of("/\\") + 1));
    if (!file) return CannotCreate(finalPath);
    SayExtracting(member, finalPath);
    status = WriteMember(*file, member, extractor);
    if (status != ExtractStatus::Ok) return ReportFailure(member, status, extractor);
    if (!file->Commit(finalPath, StampOf(*member.info))) CannotCreate(finalPath);
    if (member.info->IsEncrypted()) ++counts_.decrypted;
}

// Inflates (or copies) the member into `file`, checking it.
ExtractStatus Job::WriteMember(ExtractedFile& file, const Member& member, MemberExtractor& extractor) {
    if (!pipeline_) pipeline_ = std::make_unique<ExtractionPipeline>();
    pipeline_->Begin(file, member.info->uncompressedSize >= ExtractionPipeline::kOverlapFrom);
    // However this function is left, the writer thread lets go of the file
    // before the file object goes away.
    struct FinishOnExit {
        ExtractionPipeline& pipeline;
        ~FinishOnExit() { pipeline.Finish(); }
    } finishOnExit{*pipeline_};
    FileSink sink(*pipeline_, options_.textConvert && member.info->IsText(), convertedBytes_);
    ExtractStatus status = extractor.Extract(sink, password_);
    bool written = pipeline_->Finish();
    if (status == ExtractStatus::Ok && !written) status = ExtractStatus::WriteFailed;
    return status;
}

void Job::SayExtracting(const Member& member, const std::string& path) {
    bool stored = DataMethodOf(*member.info) == kMethodStored;
    SayPerMember((stored ? " extracting: " : "  inflating: ") + host_.ToInterface(path));
    SayPerMember("\n");
}

void Job::CannotCreate(const std::string& path) {
    SayAlways("error:  cannot create " + host_.ToInterface(path) + "\n");
    ++counts_.errors;
}

void Job::CreateFolderEntry(const Member& member) {
    SafePath safe = MakeSafeRelativePath(member.utf8Name);
    if (safe.verdict == PathVerdict::Empty) return;
    if (safe.verdict != PathVerdict::Ok) return Refuse(member, PathVerdictText(safe.verdict));
    if (!WithinLimits(member, safe.components)) return;
    std::string relative;
    for (const std::string& c : safe.components) relative += c + "/";
    if (options_.spaceToUnderscore) std::replace(relative.begin(), relative.end(), ' ', '_');
    if (!MakeParentFolders(relative)) return;
    SayPerMember("   creating: " + host_.ToInterface(folder_ + relative) + "\n");
    // Its time is set once the job is done: the files written into it
    // afterwards would change it again.
    folderTimes_.emplace_back(folder_ + relative.substr(0, relative.size() - 1), MemberTime(*member.info));
}

// Folder times as stored, after every file is in place, as unzip does.
void Job::RestoreFolderTimes() {
    for (auto it = folderTimes_.rbegin(); it != folderTimes_.rend(); ++it) host_.SetFolderTime(it->first, it->second);
}

bool Job::ObtainPassword(const Member& member, MemberExtractor& extractor) {
    if (havePassword_ && extractor.PasswordMatches(password_)) return true;
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        std::string answer;
        const char* prompt = attempt == 0 ? "Enter password: " : "Password incorrect--reenter: ";
        InArchiveOrder();
        if (!host_.Password(prompt, member.shownName, answer)) break;
        for (const std::string& form : host_.PasswordForms(answer)) {
            if (!extractor.PasswordMatches(form)) continue;
            password_ = form;
            havePassword_ = true;
            return true;
        }
    }
    SayAlways("   skipping: " + NameInMessage(member) + "  incorrect password\n");
    ++counts_.wrongPassword;
    return false;
}

int64_t Job::MemberTime(const MemberInfo& info) {
    if (info.hasUnixTime) return info.unixModTime;
    return host_.LocalTimeToUnix(DosToDateTime(info.modDate, info.modTime));
}

FileStamp Job::StampOf(const MemberInfo& info) {
    FileStamp stamp;
    stamp.unixModTime = MemberTime(info);
    uint16_t system = info.versionMadeBy >> 8;
    if (system == kHostUnix) {
        uint32_t mode = info.externalAttributes >> 16;
        stamp.readOnly = mode != 0 && (mode & 0200) == 0;
    } else {
        stamp.readOnly = (info.externalAttributes & kDosReadOnly) != 0;
        stamp.hidden = (info.externalAttributes & kDosHidden) != 0;
    }
    return stamp;
}

}  // namespace unzip_job

int RunUnzipJob(const UnzipOptions& options, UnzipHost& host, ListingTotals* totals) {
    unzip_job::Job job(options, host);
    return job.Run(totals);
}

}  // namespace zipcore
