#include "UnzipJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ArchiveReader.h"
#include "ExtractionPipeline.h"
#include "MemberExtractor.h"
#include "PathSafety.h"
#include "MemberPattern.h"
#include "ZipFormat.h"

namespace zipcore {

std::string MethodText(uint16_t method, uint16_t flags) {
    switch (method) {
        case kMethodStored: return "Stored";
        case kMethodShrunk: return "Shrunk";
        case 2: case 3: case 4: case 5: return "Reduce" + std::to_string(method - 1);
        case kMethodImploded: return "Implode";
        case kMethodDeflated: {
            static const char levels[] = {'N', 'X', 'F', 'S'};
            return std::string("Defl:") + levels[(flags & kFlagDeflateOptionMask) >> 1];
        }
        case kMethodDeflate64: return "Def64#";
        case kMethodBzip2: return "BZip2";
        case kMethodLzma: return "LZMA";
        case kMethodZstd: return "Zstd";
        case kMethodXz: return "XZ";
        case kMethodPpmd: return "PPMd";
        case kMethodAes: return "AES";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "Unk:%03u", method);
            return text;
        }
    }
}

int CompressionRatio(uint64_t uncompressed, uint64_t compressed) {
    if (uncompressed == 0) return 0;
    double saved = 100.0 * (static_cast<double>(uncompressed) - static_cast<double>(compressed)) /
                   static_cast<double>(uncompressed);
    return static_cast<int>(std::clamp(std::lround(saved), -32768L, 32767L));
}

namespace {

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
// optionally turning lone LF line ends into CR LF (text conversion); the
// CRC is checked on the original bytes by the extractor.
class FileSink : public MemberSink {
public:
    FileSink(ExtractionPipeline& pipeline, bool convertLineEnds) : pipeline_(pipeline), convert_(convertLineEnds) {}

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
    std::vector<uint8_t> converted_;
};

struct JobCounts {
    int errors = 0;           // members that failed
    int unsupported = 0;
    int wrongPassword = 0;    // encrypted members skipped for want of a password
    int decrypted = 0;        // encrypted members that were read
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
    void CreateFolderEntry(const Member& member);
    bool ChooseTarget(const Member& member, std::string& relative, std::string& finalPath);
    bool MayWrite(const Member& member, const std::string& finalPath);
    bool MakeParentFolders(const std::string& relative);
    bool EnsureFolder(const std::string& path, int depth);
    bool ObtainPassword(const Member& member, MemberExtractor& extractor);
    int64_t MemberTime(const MemberInfo& info);
    FileStamp StampOf(const MemberInfo& info);
    void ReportFailure(const Member& member, ExtractStatus status, MemberExtractor& extractor);
    int FinalCode();
    // One line per member: only at the full message level.
    void SayPerMember(const std::string& text) {
        if (options_.quiet < 1) host_.Print(text);
    }
    // Cautions: silenced only at the lowest level.
    void Say(const std::string& text) {
        if (options_.quiet < 2) host_.Print(text);
    }
    void SayAlways(const std::string& text) { host_.Print(text); }

    const UnzipOptions& options_;
    UnzipHost& host_;
    std::unique_ptr<ArchiveInput> input_;
    std::unique_ptr<ExtractionPipeline> pipeline_;  // started by the first extracted file
    ArchiveReader reader_;
    std::vector<Member> members_;
    std::vector<bool> includeMatched_;
    bool anyMatched_ = false;
    std::string folder_;            // extraction folder, UTF-8, ends with '/' unless empty
    std::string password_;          // last password that worked
    bool havePassword_ = false;
    bool overwriteAll_ = false;
    bool overwriteNone_ = false;
    JobCounts counts_;
};

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
        return kUnzipWarning;
    }
    return kUnzipOk;
}

int Job::ReportOpenFailure(OpenResult result) {
    const std::string& path = options_.archivePath;
    if (result == OpenResult::NoEndRecord) {
        SayAlways("End-of-central-directory signature not found.  Either this file is not a zipfile, or it "
                  "constitutes one disk of a multi-part archive.\n");
        SayAlways("cannot find zipfile directory in one of " + path + " or " + path + ".zip, and cannot find " +
                  path + ".ZIP, period.\n");
        return kUnzipNoZipFile;
    }
    SayAlways("error [" + path + "]:  " + (reader_.Problem().empty() ? "read error" : reader_.Problem()) +
              " (the archive is damaged).\n");
    return kUnzipBadArchive;
}

void Job::DecodeNames() {
    members_.reserve(reader_.Members().size());
    for (const MemberInfo& info : reader_.Members()) {
        Member member{&info, {}, {}};
        member.utf8Name = !info.utf8 && !info.unicodeName.empty() ? info.unicodeName
                                                                   : host_.DecodeMemberName(info.rawName, info.utf8);
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
        // The 12-byte encryption header is not member data: listings count
        // an encrypted member's compressed size without it, as Info-ZIP does.
        const uint64_t compressed = info.IsEncrypted() && info.compressedSize >= 12 ? info.compressedSize - 12
                                                                                     : info.compressedSize;
        ListingEntry entry;
        entry.uncompressedSize = info.uncompressedSize;
        entry.compressedSize = compressed;
        entry.ratio = CompressionRatio(info.uncompressedSize, compressed);
        entry.modified = DosToDateTime(info.modDate, info.modTime);
        entry.path = member.shownName;
        entry.method = MethodText(info.method, info.flags);
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
    for (size_t i = 0; i < options_.include.size(); ++i)
        if (!includeMatched_[i]) Say("caution: filename not matched:  " + options_.include[i] + "\n");
    if (options_.test && !counts_.stopped) {
        int failures = counts_.errors + counts_.unsupported + counts_.wrongPassword;
        if (failures == 0)
            SayAlways("No errors detected in compressed data of " + options_.archivePath + ".\n");
        else
            SayAlways(std::to_string(failures) + (failures == 1 ? " error" : " errors") +
                      " detected in compressed data of " + options_.archivePath + ".\n");
    }
    return FinalCode();
}

void Job::ProcessMember(const Member& member) {
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
    MemberExtractor extractor(*input_);
    ExtractStatus status = extractor.Prepare(*member.info);
    if (status == ExtractStatus::Ok && member.info->IsEncrypted() && !ObtainPassword(member, extractor)) return;
    if (status == ExtractStatus::Ok) {
        NullSink sink;
        status = extractor.Extract(sink, password_);
    }
    if (status == ExtractStatus::Ok) {
        if (member.info->IsEncrypted()) ++counts_.decrypted;
        SayPerMember("    testing: " + member.shownName + "   OK\n");
        return;
    }
    ReportFailure(member, status, extractor);
}

void Job::ExtractMember(const Member& member) {
    std::string relative, finalPath;
    if (!ChooseTarget(member, relative, finalPath)) return;
    MemberExtractor extractor(*input_);
    ExtractStatus status = extractor.Prepare(*member.info);
    if (status != ExtractStatus::Ok) return ReportFailure(member, status, extractor);
    if (!MayWrite(member, finalPath)) return;
    if (member.info->IsEncrypted() && !ObtainPassword(member, extractor)) return;
    // Folders only for a member that is really written.
    if (!MakeParentFolders(relative)) return;

    std::string folder = finalPath.substr(0, finalPath.find_last_of('/') + 1);
    std::unique_ptr<ExtractedFile> file = host_.CreateTemporary(folder);
    if (!file) {
        SayAlways("error:  cannot create " + host_.ToInterface(finalPath) + "\n");
        ++counts_.errors;
        return;
    }
    bool stored = member.info->method == kMethodStored;
    SayPerMember((stored ? " extracting: " : "  inflating: ") + host_.ToInterface(finalPath));
    SayPerMember("\n");
    if (!pipeline_) pipeline_ = std::make_unique<ExtractionPipeline>();
    pipeline_->Begin(*file);
    // However this function is left, the writer thread lets go of the file
    // before the file object goes away.
    struct FinishOnExit {
        ExtractionPipeline& pipeline;
        ~FinishOnExit() { pipeline.Finish(); }
    } finishOnExit{*pipeline_};
    FileSink sink(*pipeline_, options_.textConvert && member.info->IsText());
    status = extractor.Extract(sink, password_);
    bool written = pipeline_->Finish();
    if (status == ExtractStatus::Ok && !written) status = ExtractStatus::WriteFailed;
    if (status != ExtractStatus::Ok) return ReportFailure(member, status, extractor);
    if (!file->Commit(finalPath, StampOf(*member.info))) {
        SayAlways("error:  cannot create " + host_.ToInterface(finalPath) + "\n");
        ++counts_.errors;
    }
    if (member.info->IsEncrypted()) ++counts_.decrypted;
}

void Job::CreateFolderEntry(const Member& member) {
    SafePath safe = MakeSafeRelativePath(member.utf8Name);
    if (safe.verdict == PathVerdict::Empty) return;
    if (safe.verdict != PathVerdict::Ok) {
        SayAlways("   skipping: " + member.shownName + "  refused: " + PathVerdictText(safe.verdict) + "\n");
        ++counts_.errors;
        return;
    }
    std::string relative;
    for (const std::string& c : safe.components) relative += c + "/";
    if (options_.spaceToUnderscore) std::replace(relative.begin(), relative.end(), ' ', '_');
    if (!MakeParentFolders(relative)) return;
    SayPerMember("   creating: " + host_.ToInterface(folder_ + relative) + "\n");
}

// The path the member is written to (relative to the extraction folder,
// and in full), or false (with a message) when its stored path would
// leave the extraction folder.
bool Job::ChooseTarget(const Member& member, std::string& relative, std::string& finalPath) {
    SafePath safe = MakeSafeRelativePath(member.utf8Name);
    if (safe.verdict == PathVerdict::Empty) return false;
    if (safe.verdict != PathVerdict::Ok || safe.components.back().empty()) {
        SayAlways("   skipping: " + member.shownName + "  refused: " + PathVerdictText(safe.verdict) + "\n");
        ++counts_.errors;
        return false;
    }
    relative.clear();
    if (options_.keepFolders) {
        for (size_t i = 0; i < safe.components.size(); ++i) relative += (i ? "/" : "") + safe.components[i];
    } else {
        relative = safe.components.back();
    }
    if (options_.spaceToUnderscore) std::replace(relative.begin(), relative.end(), ' ', '_');
    finalPath = folder_ + relative;
    return true;
}

bool Job::MakeParentFolders(const std::string& relative) {
    size_t slash = relative.find('/');
    while (slash != std::string::npos) {
        std::string path = folder_ + relative.substr(0, slash);
        if (!host_.MakeDirectory(path)) {
            SayAlways("error:  cannot create folder " + host_.ToInterface(path) + "\n");
            ++counts_.errors;
            return false;
        }
        slash = relative.find('/', slash + 1);
    }
    return true;
}

// Creates the extraction folder and its missing parents, as unzip does.
bool Job::EnsureFolder(const std::string& path, int depth) {
    if (path.empty() || path.back() == ':' || depth > 256) return true;  // root or drive
    FileFacts facts = host_.Stat(path);
    if (facts.exists) return facts.isDirectory;
    size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos && separator > 0) EnsureFolder(path.substr(0, separator), depth + 1);
    return host_.MakeDirectory(path);
}

// Applies freshen, update and overwrite rules to an existing file.
bool Job::MayWrite(const Member& member, const std::string& finalPath) {
    FileFacts facts = host_.Stat(finalPath);
    if (!facts.exists) return !options_.freshen;
    if (facts.isDirectory) {
        SayAlways("error:  cannot create " + host_.ToInterface(finalPath) + ": a folder of that name exists\n");
        ++counts_.errors;
        return false;
    }
    if (options_.freshen || options_.extractOnlyNewer) {
        // DOS times have a 2-second step: a file within it is not older.
        int64_t slack = member.info->hasUnixTime ? 0 : 1;
        if (MemberTime(*member.info) <= facts.unixModTime + slack) return false;
    }
    if (options_.overwrite || overwriteAll_) return true;
    if (overwriteNone_ || !options_.promptToOverwrite) return false;
    switch (host_.Replace(host_.ToInterface(finalPath))) {
        case kReplaceYes: return true;
        case kReplaceAll: overwriteAll_ = true; return true;
        case kReplaceNone: overwriteNone_ = true; return false;
        case kReplaceNo:
        default: return false;
    }
}

bool Job::ObtainPassword(const Member& member, MemberExtractor& extractor) {
    if (havePassword_ && extractor.PasswordMatches(password_)) return true;
    for (int attempt = 0; attempt < kPasswordAttempts; ++attempt) {
        std::string answer;
        const char* prompt = attempt == 0 ? "Enter password: " : "Password incorrect--reenter: ";
        if (!host_.Password(prompt, member.shownName, answer)) break;
        for (const std::string& form : host_.PasswordForms(answer)) {
            if (!extractor.PasswordMatches(form)) continue;
            password_ = form;
            havePassword_ = true;
            return true;
        }
    }
    SayAlways("   skipping: " + member.shownName + "  incorrect password\n");
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

void Job::ReportFailure(const Member& member, ExtractStatus status, MemberExtractor& extractor) {
    const MemberInfo& info = *member.info;
    switch (status) {
        case ExtractStatus::UnsupportedMethod:
            SayAlways("   skipping: " + member.shownName + "  unsupported compression method " +
                      std::to_string(info.method) + " (" + MethodText(info.method, info.flags) + ")\n");
            ++counts_.unsupported;
            return;
        case ExtractStatus::UnsupportedEncryption:
            SayAlways("   skipping: " + member.shownName + "  " + ExtractStatusText(status) + "\n");
            ++counts_.unsupported;
            return;
        case ExtractStatus::BadPassword:
            SayAlways("   skipping: " + member.shownName + "  incorrect password\n");
            ++counts_.wrongPassword;
            return;
        case ExtractStatus::CrcMismatch: {
            char text[64];
            std::snprintf(text, sizeof text, "bad CRC %08lx  (should be %08lx)",
                          static_cast<unsigned long>(extractor.ProducedCrc()), static_cast<unsigned long>(info.crc32));
            SayAlways((options_.test ? "    testing: " : "  error:  ") + member.shownName + "   " + text +
                      (info.IsEncrypted() ? " (wrong password?)" : "") + "\n");
            break;
        }
        case ExtractStatus::WriteFailed:
            counts_.diskFull = true;
            [[fallthrough]];
        default:
            SayAlways((options_.test ? "    testing: " : "  error:  ") + member.shownName + "   " +
                      ExtractStatusText(status) + "\n");
            break;
    }
    ++counts_.errors;
}

int Job::FinalCode() {
    if (counts_.stopped) return kUnzipStopped;
    if (counts_.diskFull) return kUnzipDiskFull;
    if (counts_.errors > 0) return kUnzipError;
    if (counts_.wrongPassword > 0) return counts_.decrypted == 0 ? kUnzipBadPassword : kUnzipError;
    if (counts_.unsupported > 0) return kUnzipUnsupported;
    if (!options_.include.empty() && !anyMatched_) return kUnzipNothingMatched;
    return kUnzipOk;
}

}  // namespace

int RunUnzipJob(const UnzipOptions& options, UnzipHost& host, ListingTotals* totals) {
    Job job(options, host);
    return job.Run(totals);
}

}  // namespace zipcore
