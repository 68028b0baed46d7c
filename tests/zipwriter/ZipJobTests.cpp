// Jobs on existing archives: update, freshen, delete, move, and the safety
// of the original when a job stops or fails.
#include <gtest/gtest.h>

#include "PosixHost.h"
#include "TestSupport.h"
#include "ZipJob.h"

namespace ziptest {
namespace {

using zipcore::ZipJobOptions;

constexpr int64_t kOldTime = 1500000000;  // 2017
constexpr int64_t kNewTime = 1600000000;  // 2020

class JobTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_ / "source";
        archive_ = scratch_ / "out" / "test.zip";
        fs::create_directories(archive_.parent_path());
        WriteFile(source_ / "a.txt", "alpha");
        WriteFile(source_ / "b.txt", "bravo");
        WriteFile(source_ / "sub" / "c.txt", "charlie");
        for (const char* name : {"a.txt", "b.txt", "sub/c.txt", "sub"}) SetModificationTime(source_ / name, kOldTime);
        ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources(source_.string())));
        original_ = ReadFile(archive_);
    }

    int Zip(const ZipJobOptions& options, const std::vector<zipcore::SourceFile>& sources,
            const std::vector<std::string>& specs = {}) {
        host_.prints.clear();
        return zipcore::RunZipJob(options, sources, specs, archive_.string(), host_);
    }

    std::string Python(const std::string& script) {
        std::string output;
        RunCommand(
            "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); " + script + "\" " + Quote(archive_),
            &output);
        return output;
    }

    std::string Names() { return Python("print(' '.join(z.namelist()))"); }
    std::string Content(const std::string& name) { return Python("print(z.read('" + name + "').decode())"); }

    void ExpectOriginalUntouched() {
        EXPECT_TRUE(original_ == ReadFile(archive_));
        EXPECT_EQ(1u, CountEntries(archive_.parent_path())) << "a temporary file was left behind";
    }

    void ExpectValid() {
        std::string output;
        EXPECT_EQ(0, RunCommand("unzip -t " + Quote(archive_), &output)) << output;
        EXPECT_EQ(0, RunCommand("7zz t " + Quote(archive_), &output)) << output;
    }

    ScratchFolder scratch_;
    fs::path source_;
    fs::path archive_;
    PosixHost host_;
    std::string original_;
};

TEST_F(JobTest, AddingAgainReplacesInPlaceAndAppendsNewFiles) {
    WriteFile(source_ / "b.txt", "bravo two");
    WriteFile(source_ / "d.txt", "delta");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources(source_.string())));
    EXPECT_EQ("a.txt b.txt sub/ sub/c.txt d.txt\n", Names());
    EXPECT_EQ("bravo two\n", Content("b.txt"));
    std::string transcript = host_.Transcript();
    EXPECT_NE(std::string::npos, transcript.find("updating: b.txt"));
    EXPECT_NE(std::string::npos, transcript.find("  adding: d.txt"));
    ExpectValid();
}

TEST_F(JobTest, UpdateTakesOnlyNewerFilesAndNewOnes) {
    WriteFile(source_ / "b.txt", "bravo two");
    SetModificationTime(source_ / "b.txt", kNewTime);
    WriteFile(source_ / "a.txt", "alpha changed but older");
    SetModificationTime(source_ / "a.txt", kOldTime);
    WriteFile(source_ / "d.txt", "delta");
    ZipJobOptions options;
    options.update = true;
    ASSERT_EQ(0, Zip(options, CollectSources(source_.string())));
    EXPECT_EQ("alpha\n", Content("a.txt"));
    EXPECT_EQ("bravo two\n", Content("b.txt"));
    EXPECT_EQ("delta\n", Content("d.txt"));
    std::string transcript = host_.Transcript();
    EXPECT_EQ(std::string::npos, transcript.find("a.txt"));
    EXPECT_NE(std::string::npos, transcript.find("updating: b.txt"));
    ExpectValid();
}

TEST_F(JobTest, UpdateWithNothingNewerChangesNothing) {
    ZipJobOptions options;
    options.update = true;
    EXPECT_EQ(12, Zip(options, CollectSources(source_.string())));
    ExpectOriginalUntouched();
}

TEST_F(JobTest, FreshenReplacesOnlyOlderMembers) {
    WriteFile(source_ / "sub" / "c.txt", "charlie two");
    SetModificationTime(source_ / "sub" / "c.txt", kNewTime);
    WriteFile(source_ / "d.txt", "delta");
    SetModificationTime(source_ / "d.txt", kNewTime);
    ZipJobOptions options;
    options.freshen = true;
    ASSERT_EQ(0, Zip(options, CollectSources(source_.string())));
    EXPECT_EQ("a.txt b.txt sub/ sub/c.txt\n", Names());
    EXPECT_EQ("charlie two\n", Content("sub/c.txt"));
    EXPECT_NE(std::string::npos, host_.Transcript().find("freshening: sub/c.txt"));
}

TEST_F(JobTest, FreshenOrDeleteNeedAnExistingArchive) {
    fs::remove(archive_);
    ZipJobOptions options;
    options.freshen = true;
    EXPECT_EQ(13, Zip(options, CollectSources(source_.string())));
    options = ZipJobOptions{};
    options.deleteEntries = true;
    EXPECT_EQ(13, Zip(options, {}, {"a.txt"}));
    EXPECT_FALSE(fs::exists(archive_));
}

TEST_F(JobTest, DeleteMatchesNamesAndMasksInEveryForm) {
    ZipJobOptions options;
    options.deleteEntries = true;
    ASSERT_EQ(0, Zip(options, {}, {"\\sub\\C.TXT", "/a.txt"}));
    EXPECT_EQ("b.txt sub/\n", Names());
    EXPECT_NE(std::string::npos, host_.Transcript().find("deleting: a.txt"));
    ExpectValid();
    ASSERT_EQ(0, Zip(options, {}, {"*"}));
    EXPECT_EQ("\n", Names());  // an empty archive, still readable
}

// Archives from other systems: an OEM name with Info-ZIP's Unicode Path
// field (zip 3 on Windows) and a raw UTF-8 name from a Unix host (zip on
// Linux). Adding the same files again replaces those members instead of
// adding a second "café.txt" beside the first.
TEST_F(JobTest, ForeignMembersAreUpdatedByTheNameTheyStandFor) {
    fs::remove(archive_);
    std::string output;
    ASSERT_EQ(0, RunCommand("python3 - " + Quote(archive_) + R"( <<'PY'
import struct, sys, zlib
def member(name, host, extra):
    content = b'old\n'
    crc = zlib.crc32(content)
    local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, 0, 0x6000, 0x5a84, crc, 4, 4, len(name), len(extra))
    central = struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, (host << 8) | 20, 20, 0, 0, 0x6000, 0x5a84, crc, 4, 4,
                          len(name), len(extra), 0, 0, 0, 0, 0)
    return local + name + extra + content, central, name + extra
oem = 'café.txt'.encode('cp850')
body = struct.pack('<BI', 1, zlib.crc32(oem)) + 'café.txt'.encode('utf-8')
parts = [member(oem, 0, struct.pack('<HH', 0x7075, len(body)) + body), member('été.txt'.encode('utf-8'), 3, b'')]
data, central = b'', b''
for local, header, variable in parts:
    central += header[:42] + struct.pack('<I', len(data)) + variable
    data += local
end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, 2, 2, len(central), len(data), 0)
open(sys.argv[1], 'wb').write(data + central + end)
PY
)",
                            &output))
        << output;
    fs::path fresh = scratch_ / "fresh";
    WriteFile(fresh / "café.txt", "new");
    WriteFile(fresh / "été.txt", "new");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources(fresh.string())));
    std::string transcript = host_.Transcript();
    EXPECT_NE(std::string::npos, transcript.find("updating: café.txt")) << transcript;
    EXPECT_NE(std::string::npos, transcript.find("updating: été.txt")) << transcript;
    EXPECT_EQ(std::string::npos, transcript.find("adding")) << transcript;
    ASSERT_EQ(0, RunCommand("LANG=C.UTF-8 unzip -Z1 " + Quote(archive_), &output));
    EXPECT_EQ("café.txt\nété.txt\n", output);
    ExpectValid();
}

TEST_F(JobTest, DeleteWithoutMatchChangesNothing) {
    ZipJobOptions options;
    options.deleteEntries = true;
    EXPECT_EQ(12, Zip(options, {}, {"nothing*.doc"}));
    ExpectOriginalUntouched();
}

TEST_F(JobTest, KeptMembersAreCopiedWithoutRecompressing) {
    // An archive by Info-ZIP zip, encrypted, gets a new member: its old
    // members must still decrypt, byte for byte.
    fs::remove(archive_);
    std::string output;
    ASSERT_EQ(0, RunCommand("cd " + Quote(source_) + " && zip -q -r -P pw " + Quote(archive_) + " .", &output))
        << output;
    fs::create_directories(scratch_ / "more");
    WriteFile(scratch_ / "more" / "e.txt", "echo");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources((scratch_ / "more").string())));
    fs::path extracted = scratch_ / "extracted";
    ASSERT_EQ(0, RunCommand("unzip -q -P pw " + Quote(archive_) + " -d " + Quote(extracted), &output)) << output;
    EXPECT_EQ("alpha", ReadFile(extracted / "a.txt"));
    EXPECT_EQ("charlie", ReadFile(extracted / "sub" / "c.txt"));
    EXPECT_EQ("echo", ReadFile(extracted / "e.txt"));
}

TEST_F(JobTest, KeptMembersKeepTheirCommentsAndExtraFields) {
    fs::remove(archive_);
    std::string output;
    // zip stores "UT" and "ux" extra fields; zipnote gives a member a comment.
    ASSERT_EQ(0, RunCommand("cd " + Quote(source_) + " && zip -q -r " + Quote(archive_) +
                                " . && printf "
                                "'@ a.txt\\nnote for a\\n@ (comment above this line)\\n' | zipnote -w " +
                                Quote(archive_),
                            &output))
        << output;
    std::string before = Python("i=z.getinfo('a.txt'); print(i.comment, i.extra.hex())");
    ASSERT_NE(std::string::npos, before.find("note for a")) << before;
    WriteFile(scratch_ / "more" / "e.txt", "echo");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources((scratch_ / "more").string())));
    EXPECT_EQ(before, Python("i=z.getinfo('a.txt'); print(i.comment, i.extra.hex())"));
    ExpectValid();
}

TEST_F(JobTest, ASelfExtractorStubStaysInFront) {
    std::string stub = "MZ pretend self-extractor stub\n";
    WriteFile(scratch_ / "more" / "e.txt", "echo");
    for (bool adjusted : {false, true}) {
        SCOPED_TRACE(adjusted ? "offsets from the file's start" : "offsets from the stub's end");
        WriteFile(archive_, stub + original_);
        std::string output;
        if (adjusted) {
            ASSERT_EQ(0, RunCommand("zip -q -A " + Quote(archive_), &output)) << output;
        }
        ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources((scratch_ / "more").string())));
        EXPECT_EQ(stub, ReadFile(archive_).substr(0, stub.size()));
        EXPECT_EQ("a.txt b.txt sub/ sub/c.txt e.txt\n", Names());
        ExpectValid();
    }
}

// A stub may end with Zip64 records of its own (an archive inside the
// self-extractor): deleting every member puts the new end record right
// behind the stub's locator, and the archive must open again all the same.
TEST_F(JobTest, AStubEndingInZip64RecordsSurvivesDeletingEveryMember) {
    std::string stub = "MZ pretend self-extractor stub\n";
    std::string records;
    auto append = [&records](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) records.push_back(static_cast<char>(value >> (8 * i)));
    };
    size_t recordAt = stub.size();
    append(0x06064b50, 4), append(44, 8), append(45, 2), append(45, 2), append(0, 4), append(0, 4);
    append(3, 8), append(3, 8), append(150, 8), append(7, 8);  // counts, size, offset of another archive
    append(0x07064b50, 4), append(0, 4), append(recordAt, 8), append(1, 4);
    stub += records;
    WriteFile(archive_, stub + original_);
    ZipJobOptions deletion;
    deletion.deleteEntries = true;
    ASSERT_EQ(0, Zip(deletion, {}, {"*"})) << host_.Transcript();
    ASSERT_EQ(stub, ReadFile(archive_).substr(0, stub.size()));
    WriteFile(scratch_ / "more" / "e.txt", "echo");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources((scratch_ / "more").string()))) << host_.Transcript();
    EXPECT_EQ(stub, ReadFile(archive_).substr(0, stub.size()));
    EXPECT_EQ("e.txt\n", Names());
    EXPECT_EQ("echo\n", Content("e.txt"));
}

// A comment holding the end record's signature would be taken by readers
// that search for it backwards (unzip, Python) for the archive's end: such
// an archive is not written, and the one in place is left as it was.
TEST_F(JobTest, ACommentHoldingAnEndRecordIsRefusedAndTheArchiveLeftAsItWas) {
    auto endRecord = [](uint16_t commentLength) {
        std::string record = std::string("PK\x05\x06", 4) + std::string(16, '\0');
        record.push_back(static_cast<char>(commentLength & 0xFF));
        record.push_back(static_cast<char>(commentLength >> 8));
        return record;
    };
    const std::string names = Names();
    ZipJobOptions commenting;
    commenting.comment = true;
    host_.hasComment = true;
    for (const std::string& comment : {"notes " + endRecord(3) + "end", "notes " + endRecord(0) + " and more",
                                       std::string("cut PK\x05\x06", 8)}) {
        host_.comment = comment;
        EXPECT_EQ(3, Zip(commenting, {})) << host_.Transcript();
        ExpectOriginalUntouched();
    }
    host_.comment = "PK and \x05\x06 apart";
    ASSERT_EQ(0, Zip(commenting, {})) << host_.Transcript();
    EXPECT_EQ(names, Names());
    EXPECT_EQ("PK and \x05\x06 apart", Python("print(z.comment.decode(), end='')"));
}

TEST_F(JobTest, CancelLeavesTheArchiveByteIdentical) {
    WriteFile(source_ / "d.txt", "delta");
    WriteFile(source_ / "e.txt", "echo");
    host_.stopBefore = [](const std::string& name) { return name == "e.txt"; };
    EXPECT_EQ(9, Zip(ZipJobOptions{}, CollectSources(source_.string())));
    ExpectOriginalUntouched();
}

TEST_F(JobTest, FullDiskLeavesTheArchiveAndTheSources) {
    WriteFile(source_ / "big.txt", TextContent(3000000, 11));
    host_.failWritesAfter = 1000;
    ZipJobOptions options;
    options.move = true;
    EXPECT_EQ(14, Zip(options, CollectSources(source_.string())));
    ExpectOriginalUntouched();
    EXPECT_TRUE(fs::exists(source_ / "big.txt"));
    EXPECT_TRUE(fs::exists(source_ / "a.txt"));
}

TEST_F(JobTest, MoveDeletesSourcesAfterSuccess) {
    fs::create_directories(scratch_ / "move" / "inner");
    WriteFile(scratch_ / "move" / "inner" / "m.txt", "mike");
    WriteFile(scratch_ / "move" / "n.txt", "november");
    ZipJobOptions options;
    options.move = true;
    ASSERT_EQ(0, Zip(options, CollectSources((scratch_ / "move").string())));
    EXPECT_EQ(0u, CountEntries(scratch_ / "move"));
    EXPECT_EQ("mike\n", Content("inner/m.txt"));
}

TEST_F(JobTest, DamagedArchiveIsNeverOverwritten) {
    WriteFile(archive_, "this is not a zip file at all, just text that is long enough");
    original_ = ReadFile(archive_);
    EXPECT_EQ(3, Zip(ZipJobOptions{}, CollectSources(source_.string())));
    ExpectOriginalUntouched();
}

// Archives the reader refuses to extract from (members sharing their
// bytes, the shape of zip bombs, or said to lie past the file's end): a job
// that would copy those members refuses, and the archive stays as it was.
TEST_F(JobTest, MembersWithoutRoomAreNeverCopied) {
    const fs::path forge = scratch_ / "forge.py";
    WriteFile(forge, R"(
import os, shutil, struct, sys, zipfile
src, kind = sys.argv[1], sys.argv[2]
data = bytearray(open(src, 'rb').read())
end = data.rfind(b'PK\x05\x06')
count, size, start = struct.unpack('<HII', data[end + 10:end + 20])
central, pos = [], start
for _ in range(count):
    n, e, c = struct.unpack('<HHH', data[pos + 28:pos + 34])
    central.append(pos); pos += 46 + n + e + c
offsets = [struct.unpack('<I', data[c + 42:c + 46])[0] for c in central]
if kind == 'shared':    # the second member's entry points at the first one's header
    data[central[1] + 42:central[1] + 46] = struct.pack('<I', offsets[0])
elif kind == 'overrun':  # the first member's data runs over the second member
    grow = offsets[1] - offsets[0] + 40
    for at in (offsets[0] + 18, central[0] + 20):
        data[at:at + 8] = struct.pack('<II', grow, grow)
elif kind == 'past':     # the second member's header lies past the end
    data[central[1] + 42:central[1] + 46] = struct.pack('<I', len(data) + 500)
open(src, 'wb').write(data)
)");
    WriteFile(scratch_ / "more" / "e.txt", "echo");
    const std::string pristine = original_;
    for (const char* kind : {"shared", "overrun", "past"}) {
        SCOPED_TRACE(kind);
        WriteFile(archive_, pristine);
        std::string output;
        ASSERT_EQ(0, RunCommand("python3 " + Quote(forge) + " " + Quote(archive_) + " " + kind, &output)) << output;
        original_ = ReadFile(archive_);
        EXPECT_EQ(3, Zip(ZipJobOptions{}, CollectSources((scratch_ / "more").string())));
        EXPECT_NE(std::string::npos, host_.Transcript().find("zip error: Zip file structure invalid"));
        ExpectOriginalUntouched();
        ZipJobOptions deletion;
        deletion.deleteEntries = true;
        EXPECT_EQ(3, Zip(deletion, {}, {"sub/c.txt"}));
        ExpectOriginalUntouched();
    }
}

// Several directory entries (x.txt, y.txt, z.txt) naming one local header:
// the shape of a zip bomb, which the reader refuses. Copying each entry on
// its own would make a larger archive of sound-looking copies; an add or a
// delete refuses instead and leaves the archive as it is.
TEST_F(JobTest, MembersSharingTheirBytesAreNeverCopied) {
    std::string output;
    ASSERT_EQ(0, RunCommand("python3 -c \"import struct, sys, zipfile\n"
                            "with zipfile.ZipFile(sys.argv[1], 'w') as z: z.writestr('x.txt', 'x' * 300)\n"
                            "data = open(sys.argv[1], 'rb').read()\n"
                            "start = data.rfind(b'PK\\\\x01\\\\x02')\n"
                            "entry = data[start:data.rfind(b'PK\\\\x05\\\\x06')]\n"
                            "entries = b''.join(entry.replace(b'x.txt', n) for n in (b'x.txt', b'y.txt', b'z.txt'))\n"
                            "end = b'PK\\\\x05\\\\x06' + struct.pack('<HHHHIIH', 0, 0, 3, 3, len(entries), start, 0)\n"
                            "open(sys.argv[1], 'wb').write(data[:start] + entries + end)\n\" " +
                                Quote(archive_),
                            &output))
        << output;
    ASSERT_EQ("x.txt y.txt z.txt\n", Names());
    original_ = ReadFile(archive_);
    EXPECT_EQ(3, Zip(ZipJobOptions{}, CollectSources(source_.string())));
    EXPECT_NE(std::string::npos, host_.Transcript().find("zip error: Zip file structure invalid"));
    ExpectOriginalUntouched();
    ZipJobOptions deletion;
    deletion.deleteEntries = true;
    EXPECT_EQ(3, Zip(deletion, {}, {"z.txt"}));
    ExpectOriginalUntouched();
}

TEST_F(JobTest, AnEmptyFileBecomesANewArchive) {
    WriteFile(archive_, "");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources(source_.string())));
    ExpectValid();
}

}  // namespace
}  // namespace ziptest
