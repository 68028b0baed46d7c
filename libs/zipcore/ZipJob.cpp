#include "ZipJob.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "ArchiveReader.h"
#include "MemberNames.h"
#include "Wildcard.h"
#include "ZipFormat.h"

namespace zipcore {

namespace {

constexpr size_t kNoMember = static_cast<size_t>(-1);

// Readers that search the end of the file backwards for the end record's
// signature (unzip, Python's zipfile) take a copy of it inside the archive
// comment for the archive's own end, whatever follows it.
bool HidesAnEndRecord(const std::string& comment) {
    return comment.find(std::string("PK\x05\x06", 4)) != std::string::npos;
}

// One member of the archive to be written, in its final order.
struct PlanItem {
    bool isNew = false;
    size_t member = kNoMember;  // kept member, or the member a new one replaces
    size_t source = 0;          // new members: index into the sources
    const char* verb = "";
};

uint32_t DosStamp(uint16_t date, uint16_t time) { return (static_cast<uint32_t>(date) << 16) | time; }

std::string NormalizedSpec(std::string spec) {
    std::replace(spec.begin(), spec.end(), '\\', '/');
    size_t start = spec.find_first_not_of('/');
    return start == std::string::npos ? std::string() : spec.substr(start);
}

class Job {
public:
    Job(const ZipJobOptions& options, const std::vector<SourceFile>& sources, const std::vector<std::string>& specs,
        const std::string& archivePath, ZipJobHost& host)
        : options_(options), sources_(sources), specs_(specs), archivePath_(archivePath), host_(host) {}

    int Run() {
        int result = OpenExisting();
        if (result != kZipOk) return result;
        result = options_.deleteEntries ? PlanDeletions() : PlanAdditions();
        if (result != kZipOk) return result;
        return WriteArchive();
    }

private:
    void PrintLine(const std::string& text) {
        host_.Print(text);
        host_.Print("\n");
    }

    // Per-file progress pieces; a quiet job keeps only warnings and errors.
    void PrintProgress(const std::string& text) {
        if (!options_.quiet) host_.Print(text);
    }

    int OpenExisting() {
        if (!host_.ArchiveExists(archivePath_)) return kZipOk;
        input_ = host_.OpenArchive(archivePath_);
        if (!input_) {
            PrintLine("zip error: could not open zip file " + archivePath_);
            return kZipRead;
        }
        if (input_->Size() == 0) {
            input_.reset();  // an empty file is an archive not yet written
            return kZipOk;
        }
        switch (reader_.Open(*input_)) {
        case OpenResult::Ok: break;
        case OpenResult::ReadError: PrintLine("zip error: read error on " + archivePath_); return kZipRead;
        default: PrintLine("zip error: Zip file structure invalid (" + archivePath_ + ")"); return kZipFormat;
        }
        if (reader_.DiskNumber() != 0) {
            PrintLine("zip error: multi-disk archives cannot be updated (" + archivePath_ + ")");
            return kZipFormat;
        }
        return kZipOk;
    }

    bool HasMembers() const { return input_ && !reader_.Members().empty(); }

    int CheckDuplicates() {
        std::unordered_map<std::string, size_t> seen;
        for (size_t i = 0; i < sources_.size(); ++i) {
            auto inserted = seen.emplace(sources_[i].info.storedName, i);
            if (inserted.second) continue;
            const SourceFile& first = sources_[inserted.first->second];
            PrintLine("        zip warning: first full name: " + first.displayPath);
            PrintLine("        zip warning: second full name: " + sources_[i].displayPath);
            PrintLine("        zip warning: name in zip file repeated: " + sources_[i].displayName);
            PrintLine("zip error: Invalid command arguments (cannot repeat names in zip file)");
            return kZipParameters;
        }
        return kZipOk;
    }

    int PlanAdditions() {
        if (options_.freshen && !HasMembers()) {
            PrintLine("zip error: Zip file not found or empty (" + archivePath_ + ")");
            return kZipMissingArchive;
        }
        int result = CheckDuplicates();
        if (result != kZipOk) return result;

        std::unordered_map<std::string, size_t> memberByName;
        const std::vector<MemberInfo>& members = input_ ? reader_.Members() : noMembers_;
        for (size_t m = 0; m < members.size(); ++m) {
            items_.push_back(PlanItem{false, m, 0, ""});
            memberByName.emplace(members[m].rawName, m);
            // New names are stored as UTF-8: a member whose name is known in
            // UTF-8 (a Unicode Path field beside an OEM name) is the same file.
            std::string utf8;
            if (KnownUtf8Name(members[m], utf8)) memberByName.emplace(utf8, m);
        }
        for (size_t i = 0; i < sources_.size(); ++i) {
            const NewMemberInfo& info = sources_[i].info;
            auto found = memberByName.find(info.storedName);
            bool exists = found != memberByName.end();
            bool newer = !exists || DosStamp(info.dosDate, info.dosTime) >
                                        DosStamp(members[found->second].modDate, members[found->second].modTime);
            if (options_.freshen && (!exists || !newer)) continue;
            if (options_.update && !newer) continue;
            const char* verb = !exists ? "  adding: " : options_.freshen ? "freshening: " : "updating: ";
            PlanItem item{true, exists ? found->second : kNoMember, i, verb};
            if (exists) {
                items_[found->second] = item;
            } else {
                items_.push_back(item);
            }
            ++changes_;
        }
        bool commentOnly = options_.comment && input_;
        if (changes_ == 0 && !commentOnly) {
            PrintLine("zip error: Nothing to do! (" + archivePath_ + ")");
            return kZipNothingToDo;
        }
        return kZipOk;
    }

    // The member's name as the caller's messages show it and its masks
    // name it: decoded as the unzip library decodes it.
    std::string ShownName(const MemberInfo& member) {
        std::string utf8;
        if (KnownUtf8Name(member, utf8)) return host_.DisplayName(utf8, true);
        return host_.DisplayName(member.rawName, false);
    }

    bool SpecMatches(const std::string& spec, const MemberInfo& member) {
        std::string shown = ShownName(member);
        const std::string* names[] = {&member.rawName, &shown};
        for (const std::string* name : names) {
            if (DosMaskMatch(spec, *name)) return true;
            if (!name->empty() && name->back() == '/' && DosMaskMatch(spec + "/", *name)) return true;
        }
        return false;
    }

    int PlanDeletions() {
        if (!HasMembers()) {
            PrintLine("zip error: Zip file not found or empty (" + archivePath_ + ")");
            return kZipMissingArchive;
        }
        std::vector<std::string> specs;
        for (const std::string& spec : specs_) {
            std::string normalized = NormalizedSpec(spec);
            if (!normalized.empty()) specs.push_back(normalized);
        }
        const std::vector<MemberInfo>& members = reader_.Members();
        for (size_t m = 0; m < members.size(); ++m) {
            bool doomed = std::any_of(specs.begin(), specs.end(),
                                      [&](const std::string& spec) { return SpecMatches(spec, members[m]); });
            if (doomed) {
                deleted_.push_back(m);
            } else {
                items_.push_back(PlanItem{false, m, 0, ""});
            }
        }
        if (deleted_.empty()) {
            PrintLine("zip error: Nothing to do! (" + archivePath_ + ")");
            return kZipNothingToDo;
        }
        return kZipOk;
    }

    void AskPasswordOnce() {
        if (!options_.encrypt || changes_ == 0) return;
        std::string answer;
        if (host_.AskPassword(answer) && !answer.empty()) password_ = answer;
    }

    std::unique_ptr<MemberCompressor> StartCompressor() {
        std::vector<CompressorTask> tasks;
        for (const PlanItem& item : items_) {
            if (!item.isNew || sources_[item.source].info.isDirectory) continue;
            const SourceFile* source = &sources_[item.source];
            ZipJobHost* host = &host_;
            tasks.push_back(
                CompressorTask{[host, source] { return host->OpenSource(*source); }, source->info.expectedSize});
        }
        if (tasks.empty()) return nullptr;
        CompressorSettings settings;
        settings.level = options_.level;
        settings.conversion = options_.conversion;
        settings.threads = options_.threads;
        return std::make_unique<MemberCompressor>(std::move(tasks), settings);
    }

    void PrintOutcome(const MemberOutcome& outcome) {
        if (outcome.method == kMethodDeflated) {
            PrintProgress(" (deflated " +
                          std::to_string(CompressionPercent(outcome.uncompressedSize, outcome.compressedSize)) + "%)");
        } else {
            PrintProgress(" (stored 0%)");
        }
        PrintProgress("\n");
    }

    // Keeps the old member when its replacement could not be read.
    ArchiveWriter::Result KeepReplacedMember(ArchiveWriter& writer, const PlanItem& item) {
        if (item.member == kNoMember) return ArchiveWriter::Result::Ok;
        return writer.CopyMember(*input_, reader_.Members()[item.member]);
    }

    int WriteNewMember(ArchiveWriter& writer, MemberCompressor* compressor, const PlanItem& item) {
        const SourceFile& source = sources_[item.source];
        if (host_.ShouldStop(source.displayName, source.info.expectedSize)) {
            PrintLine("zip error: Interrupted (aborting)");
            return kZipAborted;
        }
        ArchiveWriter::Result result;
        if (source.info.isDirectory) {
            PrintProgress(item.verb + source.displayName);
            result = writer.AddDirectory(source.info);
            if (result == ArchiveWriter::Result::Ok) PrintOutcome(writer.LastOutcome());
        } else {
            CompressedChunk first;
            if (!compressor || !compressor->Next(first)) return kZipLogic;
            if (first.status == CompressedChunk::Status::OpenFailed) {
                PrintLine("zip warning: could not open for reading: " + source.displayName);
                ++failures_;
                result = KeepReplacedMember(writer, item);
                return result == ArchiveWriter::Result::Ok ? kZipOk : MapCopyFailure(result);
            }
            PrintProgress(item.verb + source.displayName);
            ZipJobHost* host = &host_;
            const SourceFile* sourcePointer = &source;
            result = writer.AddFile(source.info, std::move(first), *compressor,
                                    [host, sourcePointer] { return host->OpenSource(*sourcePointer); });
            if (result == ArchiveWriter::Result::SourceFailed) {
                PrintProgress("\n");
                PrintLine("zip warning: could not read " + source.displayName);
                ++failures_;
                result = KeepReplacedMember(writer, item);
                return result == ArchiveWriter::Result::Ok ? kZipOk : MapCopyFailure(result);
            }
            if (result == ArchiveWriter::Result::Ok) PrintOutcome(writer.LastOutcome());
        }
        if (result != ArchiveWriter::Result::Ok) return WriteFailure();
        written_.push_back(item.source);
        return kZipOk;
    }

    int WriteFailure() {
        PrintLine("zip error: Output file write failure (write error on zip file)");
        return kZipWrite;
    }

    int MapCopyFailure(ArchiveWriter::Result result) {
        if (result == ArchiveWriter::Result::WriteFailed) return WriteFailure();
        PrintLine("zip error: Zip file structure invalid (" + archivePath_ + ")");
        return kZipFormat;
    }

    int WriteArchive() {
        // The output first: an archive that cannot be replaced (read-only,
        // no room beside it) is refused before the caller is asked anything.
        std::unique_ptr<TemporaryArchive> temporary = host_.CreateTemporary(archivePath_);
        if (!temporary) {
            PrintLine("zip error: Could not create output file (" + archivePath_ + ")");
            return kZipCreate;
        }
        AskPasswordOnce();
        std::unique_ptr<MemberCompressor> compressor = StartCompressor();
        ArchiveWriter writer(*temporary, password_, options_.level, options_.conversion);
        const std::vector<MemberInfo>& members = input_ ? reader_.Members() : noMembers_;
        for (size_t d : deleted_) {
            PrintProgress("deleting: " + ShownName(members[d]));
            PrintProgress("\n");
        }
        if (input_) {
            ArchiveWriter::Result copied = writer.CopyPrefix(*input_, PrefixSize());
            if (copied != ArchiveWriter::Result::Ok) return MapCopyFailure(copied);
        }
        for (const PlanItem& item : items_) {
            int result = kZipOk;
            if (item.isNew) {
                result = WriteNewMember(writer, compressor.get(), item);
            } else {
                ArchiveWriter::Result copied = writer.CopyMember(*input_, members[item.member]);
                if (copied != ArchiveWriter::Result::Ok) result = MapCopyFailure(copied);
            }
            if (result != kZipOk) return result;
        }
        compressor.reset();

        std::string comment = input_ ? reader_.Comment() : std::string();
        std::string oldComment = comment;
        if (options_.comment) host_.AskComment(comment);
        bool nothingChanged =
            written_.empty() && deleted_.empty() && comment == oldComment && writer.MemberCount() == members.size();
        if (nothingChanged && failures_ > 0) return kZipOpen;  // keep the archive as it was
        if (HidesAnEndRecord(comment)) {
            // Another reader would take the copy for the end of the archive
            // and see another archive, or none.
            PrintLine("zip error: Zip file structure invalid (" + archivePath_ + ")");
            return kZipFormat;
        }
        if (!writer.Finish(comment)) return WriteFailure();
        input_.reset();  // some systems cannot replace a file that is still open
        if (!temporary->Commit()) {
            PrintLine("zip error: Could not replace " + archivePath_);
            return kZipWrite;
        }
        if (options_.move) RemoveMovedSources();
        return failures_ > 0 ? kZipOpen : kZipOk;
    }

    // Bytes in front of the first member (a self-extractor's stub) stay in
    // front of the rewritten archive.
    uint64_t PrefixSize() const {
        uint64_t first = reader_.CentralDirStart();
        for (const MemberInfo& member : reader_.Members()) first = std::min(first, member.localHeaderOffset);
        return first;
    }

    // Files first, then folders from the deepest, so that a folder is empty
    // by the time its turn comes.
    void RemoveMovedSources() {
        std::vector<const SourceFile*> folders;
        for (size_t index : written_) {
            const SourceFile& source = sources_[index];
            if (source.info.isDirectory) {
                folders.push_back(&source);
            } else {
                host_.RemoveSource(source);
            }
        }
        std::sort(folders.begin(), folders.end(), [](const SourceFile* a, const SourceFile* b) {
            return a->info.storedName.size() > b->info.storedName.size();
        });
        for (const SourceFile* folder : folders) host_.RemoveSource(*folder);
    }

    const ZipJobOptions& options_;
    const std::vector<SourceFile>& sources_;
    const std::vector<std::string>& specs_;
    const std::string& archivePath_;
    ZipJobHost& host_;

    std::unique_ptr<ArchiveInput> input_;
    ArchiveReader reader_;
    const std::vector<MemberInfo> noMembers_;
    std::vector<PlanItem> items_;
    std::vector<size_t> deleted_;
    std::vector<size_t> written_;
    size_t changes_ = 0;
    size_t failures_ = 0;
    std::string password_;
};

}  // namespace

int CompressionPercent(uint64_t uncompressed, uint64_t compressed) {
    if (uncompressed == 0) return 0;
    double saved = (static_cast<double>(uncompressed) - static_cast<double>(compressed)) * 100.0 /
                   static_cast<double>(uncompressed);
    return static_cast<int>(std::lround(saved));
}

int RunZipJob(const ZipJobOptions& options, const std::vector<SourceFile>& sources,
              const std::vector<std::string>& specs, const std::string& archivePath, ZipJobHost& host) {
    Job job(options, sources, specs, archivePath, host);
    return job.Run();
}

}  // namespace zipcore
