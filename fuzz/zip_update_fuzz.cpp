// libFuzzer target for the writer's update path: the fuzzed bytes are an
// existing archive, and three jobs run on it - a file added with a new
// comment, its first member replaced (stored, encrypted), its first member
// deleted. Whatever the archive holds:
//   - a job that fails commits nothing, so the archive stays byte for byte
//     as it was; a job that succeeds commits exactly once;
//   - a committed archive opens in the reader, keeps the old members in
//     their order with their fields, each old member that could be read
//     still can be, the new member reads back as written, and the archive
//     is no larger than the old one plus what was added (a member copied
//     twice, or data shared by two members copied for each, would be).
// A broken rule aborts, which libFuzzer reports with the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "FuzzMemory.h"
#include "MemberExtractor.h"
#include "ZipFormat.h"
#include "ZipJob.h"

namespace {

using fuzzsupport::MemoryFile;
using fuzzsupport::MemoryInput;

const char kPassword[] = "fuzz";
const char kNewComment[] = "comment written by the update fuzz target";
const char kAddedName[] = "fuzz/added.txt";

const std::string& AddedContent() {
    static const std::string content = [] {
        std::string text;
        for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + " of the file the fuzz target adds\n";
        return text;
    }();
    return content;
}

void Require(bool condition, const char* rule) {
    if (condition) return;
    std::fprintf(stderr, "update rule broken: %s\n", rule);
    std::abort();
}

class MemorySource : public zipcore::InputStream {
public:
    explicit MemorySource(const std::string& bytes) : bytes_(bytes) {}
    long long Read(void* buffer, size_t size) override {
        size_t n = std::min(size, bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return static_cast<long long>(n);
    }

private:
    const std::string& bytes_;
    size_t position_ = 0;
};

class UpdateHost;

class MemoryTemporary : public zipcore::TemporaryArchive {
public:
    explicit MemoryTemporary(UpdateHost& host) : host_(host) {}
    bool Write(const void* data, size_t size) override { return file_.Write(data, size); }
    bool Seek(uint64_t position) override { return file_.Seek(position); }
    bool Truncate() override { return file_.Truncate(); }
    bool Flush() override { return true; }
    bool Commit() override;

private:
    UpdateHost& host_;
    MemoryFile file_;
};

class UpdateHost : public zipcore::ZipJobHost {
public:
    UpdateHost(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool ArchiveExists(const std::string&) override { return true; }
    std::unique_ptr<zipcore::ArchiveInput> OpenArchive(const std::string&) override {
        return std::make_unique<MemoryInput>(data_, size_);
    }
    std::unique_ptr<zipcore::TemporaryArchive> CreateTemporary(const std::string&) override {
        return std::make_unique<MemoryTemporary>(*this);
    }
    std::unique_ptr<zipcore::InputStream> OpenSource(const zipcore::SourceFile&) override {
        return std::make_unique<MemorySource>(AddedContent());
    }
    bool RemoveSource(const zipcore::SourceFile&) override { return true; }
    std::string DisplayName(const std::string& storedName, bool) override { return storedName; }
    void Print(const std::string&) override {}
    bool ShouldStop(const std::string&, uint64_t) override { return false; }
    bool AskPassword(std::string& password) override {
        password = kPassword;
        return true;
    }
    void AskComment(std::string& comment) override { comment = kNewComment; }

    void Committed(std::vector<uint8_t>& bytes) {
        ++commits;
        result.swap(bytes);
    }
    int commits = 0;
    std::vector<uint8_t> result;

private:
    const uint8_t* data_;
    size_t size_;
};

bool MemoryTemporary::Commit() {
    host_.Committed(file_.Bytes());
    return true;
}

class Discard : public zipcore::MemberSink {
public:
    bool Write(const uint8_t*, size_t) override { return true; }
};

class Collect : public zipcore::MemberSink {
public:
    bool Write(const uint8_t* data, size_t size) override {
        bytes.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
};

// Whether a member reads back: its headers agree and, unless it is
// encrypted (the password is unknown), its data inflates to its CRC.
bool Readable(zipcore::MemberExtractor& extractor, const zipcore::MemberInfo& member) {
    if (extractor.Prepare(member) != zipcore::ExtractStatus::Ok) return false;
    if (member.IsEncrypted()) return true;
    Discard sink;
    return extractor.Extract(sink, "") == zipcore::ExtractStatus::Ok;
}

bool SameFields(const zipcore::MemberInfo& a, const zipcore::MemberInfo& b) {
    return a.rawName == b.rawName && a.flags == b.flags && a.method == b.method && a.crc32 == b.crc32 &&
           a.compressedSize == b.compressedSize && a.uncompressedSize == b.uncompressedSize && a.modTime == b.modTime &&
           a.modDate == b.modDate && (a.versionMadeBy >> 8) == (b.versionMadeBy >> 8) &&
           a.internalAttributes == b.internalAttributes && a.externalAttributes == b.externalAttributes &&
           a.comment == b.comment;
}

// Bytes a member takes in the archive: its local part (header, data,
// descriptor) and its central record.
uint64_t SpanOf(const zipcore::ArchiveReader& reader, const zipcore::MemberInfo& member) {
    uint64_t end = reader.CentralDirStart();
    for (const zipcore::MemberInfo& other : reader.Members())
        if (other.localHeaderOffset > member.localHeaderOffset) end = std::min(end, other.localHeaderOffset);
    return end - member.localHeaderOffset + zipcore::kCentralHeaderSize + member.rawName.size() +
           member.centralExtra.size() + member.comment.size();
}

// The Zip64 field of a central record: the values too large for 32 bits.
uint64_t Zip64FieldSize(const zipcore::MemberInfo& member) {
    uint64_t values = 0;
    for (uint64_t value : {member.uncompressedSize, member.compressedSize, member.localHeaderOffset})
        if (value >= 0xFFFFFFFFu) ++values;
    return values ? 4 + 8 * values : 0;
}

enum class Operation { Add, Replace, Delete };

struct Original {
    const uint8_t* data;
    size_t size;
    bool opened;  // the reader accepts it (an empty file is an archive with no member)
    zipcore::ArchiveReader reader;
};

void CheckNewMember(zipcore::MemberExtractor& extractor, const zipcore::MemberInfo& member, const std::string& name,
                    bool encrypted) {
    Require(member.rawName == name, "the new member has the name it was given");
    Require(member.IsEncrypted() == encrypted, "the new member is encrypted when a password was given");
    Require(extractor.Prepare(member) == zipcore::ExtractStatus::Ok, "the new member's headers agree");
    if (encrypted) Require(extractor.PasswordMatches(kPassword), "the new member takes its password");
    Collect sink;
    Require(extractor.Extract(sink, kPassword) == zipcore::ExtractStatus::Ok, "the new member reads back");
    Require(sink.bytes == AddedContent(), "the new member holds the added bytes");
}

// The committed archive against the original and the operation.
void CheckResult(Original& original, Operation operation, const std::string& newName, bool encrypted,
                 const std::string& comment, std::vector<uint8_t>& bytes) {
    MemoryInput input(bytes.data(), bytes.size());
    zipcore::ArchiveReader reader;
    Require(reader.Open(input) == zipcore::OpenResult::Ok, "the reader opens a committed archive");
    Require(reader.DiskNumber() == 0, "a committed archive is not one disk of a split archive");
    Require(reader.Comment() == comment, "the committed archive has the comment asked for");

    static const std::vector<zipcore::MemberInfo> none;
    const std::vector<zipcore::MemberInfo>& old = original.size ? original.reader.Members() : none;
    const std::vector<zipcore::MemberInfo>& now = reader.Members();
    MemoryInput oldInput(original.data, original.size);
    // One extractor for each archive, as a job keeps one: its buffers are reused.
    zipcore::MemberExtractor oldExtractor(oldInput), newExtractor(input);

    // Where the new member must be: in place of the first old member of its
    // name, or at the end.
    size_t replaced = old.size();
    if (operation != Operation::Delete) {
        for (size_t i = 0; i < old.size() && replaced == old.size(); ++i)
            if (old[i].rawName == newName) replaced = i;
    }
    size_t expected = operation == Operation::Delete ? now.size()
                      : replaced == old.size()       ? old.size() + 1
                                                     : old.size();
    Require(now.size() == expected, "the committed archive has the expected member count");
    if (operation == Operation::Delete) Require(now.size() < old.size(), "a delete removes a member");

    size_t next = 0;  // old members are kept in order, some skipped by a delete
    uint64_t newBytes = 0;
    uint64_t zip64Room = 0;
    for (size_t i = 0; i < now.size(); ++i) {
        bool isNew = operation != Operation::Delete && (i == replaced || (replaced == old.size() && i == old.size()));
        if (isNew) {
            CheckNewMember(newExtractor, now[i], newName, encrypted);
            newBytes = SpanOf(reader, now[i]);
            if (next == replaced) ++next;
            continue;
        }
        while (next < old.size() && !SameFields(old[next], now[i])) {
            Require(operation == Operation::Delete, "an add or a replace keeps every other member");
            ++next;
        }
        Require(next < old.size(), "kept members keep their fields and their order");
        if (Readable(oldExtractor, old[next]))
            Require(Readable(newExtractor, now[i]), "a readable member stays readable");
        zip64Room += Zip64FieldSize(now[i]);  // the writer puts one back where the values need it
        ++next;
    }
    // Kept members are copies of disjoint parts of the old archive, their
    // central records copies of old ones less any Zip64 field, so only the
    // new member, Zip64 fields and records, and a longer comment can add.
    uint64_t oldComment = original.size ? original.reader.Comment().size() : 0;
    uint64_t longerComment = comment.size() > oldComment ? comment.size() - oldComment : 0;
    uint64_t endRecords = original.size ? 0 : zipcore::kEndOfCentralDirSize;
    bool zip64End = now.size() >= 0xFFFF || reader.CentralDirStart() >= 0xFFFFFFFFu;
    if (zip64End) endRecords += zipcore::kZip64EndOfCentralDirSize + zipcore::kZip64LocatorSize;
    uint64_t bound = original.size + newBytes + zip64Room + endRecords + longerComment;
    Require(bytes.size() <= bound, "a committed archive is no larger than the old one plus what was added");
}

void RunOperation(Original& original, Operation operation) {
    const std::vector<zipcore::MemberInfo>* members = original.opened ? &original.reader.Members() : nullptr;
    if (operation != Operation::Add && (!members || members->empty())) return;

    zipcore::ZipJobOptions options;
    options.threads = 1;
    options.quiet = true;
    std::vector<zipcore::SourceFile> sources;
    std::vector<std::string> specs;
    std::string newName = kAddedName;
    bool encrypted = false;
    switch (operation) {
    case Operation::Add:
        options.level = 6;
        options.comment = true;
        break;
    case Operation::Replace:
        newName = members->front().rawName;
        if (newName.empty() || newName.back() == '/') return;
        options.level = 0;
        options.encrypt = true;
        encrypted = true;
        break;
    case Operation::Delete:
        options.deleteEntries = true;
        specs.push_back(members->front().rawName);
        break;
    }
    if (operation != Operation::Delete) {
        zipcore::SourceFile source;
        source.info.storedName = newName;
        source.info.dosDate = (45 << 9) | (6 << 5) | 15;  // 15 June 2025
        source.info.dosTime = (12 << 11) | (30 << 5);
        source.info.expectedSize = AddedContent().size();
        source.displayName = source.path = source.displayPath = newName;
        sources.push_back(source);
    }

    UpdateHost host(original.data, original.size);
    int code = zipcore::RunZipJob(options, sources, specs, "fuzz.zip", host);
    if (code != zipcore::kZipOk) {
        Require(host.commits == 0, "a failed job leaves the archive as it was");
        return;
    }
    Require(host.commits == 1, "a job that succeeds puts its archive in place once");
    std::string comment =
        operation == Operation::Add ? std::string(kNewComment) : (original.size ? original.reader.Comment() : "");
    CheckResult(original, operation, newName, encrypted, comment, host.result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Original original{data, size, false, {}};
    MemoryInput input(data, size);
    original.opened = size == 0 || original.reader.Open(input) == zipcore::OpenResult::Ok;
    for (Operation operation : {Operation::Add, Operation::Replace, Operation::Delete})
        RunOperation(original, operation);
    return 0;
}
