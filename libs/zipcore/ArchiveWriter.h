// Writes an archive member by member: new members from the compressor's
// chunks (optionally encrypted with the traditional PKWARE cipher), kept
// members copied byte for byte from an existing archive, then the central
// directory. Zip64 records appear only where a value needs them.
// Portable; the caller provides the output file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "CentralDirectoryWriter.h"
#include "MemberCompressor.h"
#include "WriterIo.h"

namespace zipcore {

class ZipCrypto;

// What the writer needs to know about a new member besides its data.
struct NewMemberInfo {
    std::string storedName;  // '/' separators; folders end with '/'
    bool utf8Name = false;   // sets the language encoding flag (bit 11)
    bool isDirectory = false;
    uint16_t dosDate = 0;
    uint16_t dosTime = 0;
    bool hasUnixTime = false;
    int64_t unixModTime = 0;
    uint32_t attributes = 0;  // MS-DOS attribute bits
    uint64_t expectedSize = 0;
};

// Sizes of the member just written, for the "(deflated 62%)" message.
struct MemberOutcome {
    uint16_t method = 0;
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;  // without the encryption header
};

class ArchiveWriter {
public:
    enum class Result { Ok, SourceFailed, WriteFailed };

    // `password` empty: no encryption. `level` 0-9 as given to the
    // compressor; it also sets the deflate hint bits. `conversion` must be
    // the compressor's, so a member rewritten as stored reads the same bytes.
    ArchiveWriter(OutputFile& output, std::string password, int level, TextConversion conversion);
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Writes a folder entry.
    Result AddDirectory(const NewMemberInfo& info);

    // Writes a file member. `first` is the member's first chunk, already
    // taken from `compressor`; the rest are taken here. `reopen` opens the
    // source again for the rare member that only proves incompressible
    // after several chunks and is rewritten as stored. On SourceFailed the
    // output is rolled back to where the member would have started.
    Result AddFile(const NewMemberInfo& info, CompressedChunk first, MemberCompressor& compressor,
                   const std::function<std::unique_ptr<InputStream>()>& reopen);

    // Copies a member of an existing archive without recompressing it.
    // SourceFailed: the old member is damaged or unreadable, or its bytes
    // run into another member's (the reader's extent limit).
    Result CopyMember(ArchiveInput& input, const MemberInfo& member);

    // Copies `size` bytes from the start of an existing archive: the stub
    // of a self-extracting archive, kept in front of the members.
    Result CopyPrefix(ArchiveInput& input, uint64_t size);

    // Writes the central directory and end records, then flushes.
    bool Finish(const std::string& comment);

    const MemberOutcome& LastOutcome() const { return outcome_; }
    size_t MemberCount() const { return records_.size(); }

private:
    class Output;

    uint16_t BaseFlags(const NewMemberInfo& info) const;
    CentralRecord StartRecord(const NewMemberInfo& info, uint16_t flags, uint16_t method) const;
    Result WriteSingleChunk(const NewMemberInfo& info, CompressedChunk& chunk);
    Result WriteChunked(const NewMemberInfo& info, CompressedChunk& first, MemberCompressor& compressor,
                        const std::function<std::unique_ptr<InputStream>()>& reopen);
    Result RewriteStored(const NewMemberInfo& info, uint64_t headerPos,
                         const std::function<std::unique_ptr<InputStream>()>& reopen);
    struct StreamedMember;
    bool BeginStreamed(StreamedMember& member, const NewMemberInfo& info, uint16_t method, bool isText);
    Result FinishStreamed(StreamedMember& member);
    bool WriteLocalHeader(const CentralRecord& record, const NewMemberInfo& info, bool reserveZip64);
    bool WriteEncryptionHeader(uint8_t checkByte);
    bool WriteData(std::vector<uint8_t>& data);
    Result RollBack(uint64_t headerPos);
    bool Encrypting() const { return !password_.empty(); }

    std::unique_ptr<Output> out_;
    std::string password_;
    int level_;
    TextConversion conversion_;
    std::unique_ptr<ZipCrypto> cipher_;
    std::mt19937 random_;
    std::vector<CentralRecord> records_;
    MemberOutcome outcome_;
    // One block for every kept member copied: a new one per member would
    // be mapped and unmapped again each time under Wine.
    std::vector<uint8_t> copyBlock_;
};

}  // namespace zipcore
