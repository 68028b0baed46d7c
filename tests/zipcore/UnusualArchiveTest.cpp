// Archives that are valid but unusual, or damaged in ways peers put up
// with: names past the file system's limits, reserved port names, folder
// times, members in methods this library does not read, end records and
// offsets that mislead, split archives, control characters in names.
#include "TestSupport.h"

#include <sys/stat.h>

#include <algorithm>

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

const char* kForge = R"(
import struct, zipfile
def patch(path, offset, fmt, value):
    with open(path, 'r+b') as f:
        f.seek(offset); f.write(struct.pack('<' + fmt, value))
def central_offsets(path):
    data = open(path, 'rb').read()
    end = data.rfind(b'PK\x05\x06')
    count, size, start = struct.unpack('<HII', data[end + 10:end + 20])
    result, pos = [], start
    for _ in range(count):
        n, e, c = struct.unpack('<HHH', data[pos + 28:pos + 34])
        result.append(pos); pos += 46 + n + e + c
    return result
)";

int64_t ModificationTime(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_mtime) : -1;
}

size_t LongestPrint(const PosixHost& host) {
    size_t longest = 0;
    for (const std::string& text : host.printed) longest = std::max(longest, text.size());
    return longest;
}

// A name of 4,000 levels (8 KB of archive) and one of 64 KiB would make as
// many folders one by one, each call walking the whole path again: they are
// refused before any folder is made, with a message a caller can show.
TEST(UnusualArchive, NamesPastTheLimitsAreRefusedBeforeAnyFolderIsMade) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('deep.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('a/' * 4000 + 'f.txt', 'deep')
    z.writestr('b/' * 32000 + 'g', 'deeper')
    z.writestr('n' * 300 + '.txt', 'long name')
    z.writestr('c/' * 600, '')
    z.writestr('ok/fine.txt', 'fine')
)"));
    std::string out = work / "out";
    PosixHost host;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "deep.zip", out), host, nullptr));
    std::string text = host.AllText();
    EXPECT_NE(std::string::npos, text.find("refused: folders nested more than 512 levels deep"));
    EXPECT_NE(std::string::npos, text.find("refused: a name in the path is longer than the file system allows"));
    size_t refusals = 0;
    for (size_t at = text.find("refused:"); at != std::string::npos; at = text.find("refused:", at + 1)) ++refusals;
    EXPECT_EQ(4u, refusals) << text;
    EXPECT_LT(LongestPrint(host), 32000u) << "a message too long for the print callback";
    EXPECT_EQ("fine", ReadFile(out + "/ok/fine.txt"));
    EXPECT_EQ(2, host.madeFolders);  // out and out/ok
    EXPECT_FALSE(Exists(out + "/a"));
    EXPECT_FALSE(Exists(out + "/b"));
    EXPECT_FALSE(Exists(out + "/c"));
}

TEST(UnusualArchive, LimitsAreThoseTheHostGives) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('levels.zip', 'w') as z:
    z.writestr('1/2/3/4/five.txt', 'five levels')
    z.writestr('1/2/3/4/5/six.txt', 'six levels')
    z.writestr('p' * 60 + '/' + 'q' * 60 + '.txt', 'long path')
)"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    host.limits.maxDepth = 5;
    host.limits.maxPath = out.size() + 1 + 100;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "levels.zip", out), host, nullptr));
    EXPECT_EQ("five levels", ReadFile(out + "/1/2/3/4/five.txt"));
    EXPECT_FALSE(Exists(out + "/1/2/3/4/5"));
    EXPECT_NE(std::string::npos,
              host.AllText().find("1/2/3/4/5/six.txt  refused: folders nested more than 5 levels deep"));
    EXPECT_NE(std::string::npos, host.AllText().find("refused: path longer than the file system allows"));

    // Without stored folders only the name itself counts.
    Shell("rm -rf " + Quote(out) + " && mkdir " + Quote(out));
    PosixHost flat;
    flat.limits.maxDepth = 1;
    zipcore::UnzipOptions options = ExtractOptions(work / "levels.zip", out);
    options.keepFolders = false;
    EXPECT_EQ(0, RunUnzipJob(options, flat, nullptr)) << flat.AllText();
    EXPECT_EQ("six levels", ReadFile(out + "/six.txt"));
}

// Windows opens a device for COM0 and LPT0 (recent versions) and for the
// ports numbered with superscript digits, whatever the extension.
TEST(UnusualArchive, ReservedPortNamesAreRefused) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('ports.zip', 'w') as z:
    for n in ['COM\u00b9.txt', 'LPT\u00b2', 'COM0.txt', 'sub/lpt0.log', 'com\u00b3/inside.txt', 'COM10.txt']:
        z.writestr(n, 'payload of ' + n)
)"));
    std::string out = work / "out";
    PosixHost host;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "ports.zip", out), host, nullptr));
    std::string text = host.AllText();
    for (const char* name : {"COM\xC2\xB9.txt", "LPT\xC2\xB2", "COM0.txt", "sub/lpt0.log", "com\xC2\xB3/inside.txt"})
        EXPECT_NE(std::string::npos, text.find("   skipping: " + std::string(name) + "  refused: device name")) << name;
    EXPECT_EQ("payload of COM10.txt", ReadFile(out + "/COM10.txt"));
    Shell("cd " + Quote(out) + " && find . | sort > ../found.txt");
    EXPECT_EQ(".\n./COM10.txt\n", ReadFile(work / "found.txt"));
}

// The folders' stored times are set once their files are written, so
// they end as unzip leaves them.
TEST(UnusualArchive, FolderTimesAreRestoredAsUnzipDoes) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('dirs.zip', 'w') as z:
    for name, when in (('d/', (2001, 2, 3, 4, 5, 6)), ('d/e/', (2002, 3, 4, 5, 6, 8))):
        z.writestr(zipfile.ZipInfo(name, when), '')
    z.writestr(zipfile.ZipInfo('d/e/f.txt', (2003, 4, 5, 6, 7, 8)), 'file')
    z.writestr(zipfile.ZipInfo('d/g.txt', (2004, 5, 6, 7, 8, 10)), 'file')
)"));
    std::string ours = work / "ours", theirs = work / "theirs";
    PosixHost host;
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(work / "dirs.zip", ours), host, nullptr)) << host.AllText();
    ASSERT_EQ(0, Shell("unzip -q " + Quote(work / "dirs.zip") + " -d " + Quote(theirs)));
    for (const char* path : {"/d", "/d/e", "/d/e/f.txt", "/d/g.txt"})
        EXPECT_EQ(ModificationTime(theirs + path), ModificationTime(ours + path)) << path;
    EXPECT_LT(ModificationTime(ours + "/d"), ModificationTime(ours + "/d/e"));

    // Names only: no folder is made, no time is set.
    std::string flat = work / "flat";
    PosixHost names;
    zipcore::UnzipOptions options = ExtractOptions(work / "dirs.zip", flat);
    options.keepFolders = false;
    ASSERT_EQ(0, RunUnzipJob(options, names, nullptr));
    EXPECT_FALSE(Exists(flat + "/d"));
}

// Members in a method this library does not read are skipped, not
// damaged: the test says so as unzip does and returns unzip's code.
TEST(UnusualArchive, TestCountsUnsupportedMembersApart) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import struct, zipfile
with zipfile.ZipFile('some.zip', 'w') as z:
    z.writestr('a.txt', 'hello')
    z.writestr('d/', '')
    z.writestr('l.txt', 'x' * 1000)
    z.writestr('m.txt', 'y' * 1000)
with zipfile.ZipFile('all.zip', 'w') as z:
    z.writestr('l.txt', 'x' * 1000)
# PPMd (98), a method nobody reads here: the headers of l.txt and m.txt
# are marked with it.
for name in ('some.zip', 'all.zip'):
    raw = bytearray(open(name, 'rb').read())
    for signature, method_at, name_at in ((b'PK\x03\x04', 8, 30), (b'PK\x01\x02', 10, 46)):
        at = raw.find(signature)
        while at >= 0:
            if raw[at + name_at:at + name_at + 5] in (b'l.txt', b'm.txt'):
                struct.pack_into('<H', raw, at + method_at, 98)
            at = raw.find(signature, at + 4)
    open(name, 'wb').write(bytes(raw))
)"));
    const std::string some = work / "some.zip", all = work / "all.zip";
    PosixHost host;
    EXPECT_EQ(81, RunUnzipJob(TestOptions(some), host, nullptr));
    EXPECT_EQ(81, Shell("unzip -tq " + Quote(some) + " > /dev/null"));
    std::string text = host.AllText();
    EXPECT_NE(std::string::npos, text.find("   skipping: l.txt  unsupported compression method 98 (PPMd)\n"));
    EXPECT_NE(std::string::npos, text.find("   skipping: m.txt  unsupported compression method 98 (PPMd)\n"));
    EXPECT_NE(std::string::npos, text.find("    testing: a.txt   OK\n"));
    EXPECT_NE(std::string::npos, text.find("No errors detected in " + some + " for the 2 files tested.\n" +
                                           "2 files skipped because of unsupported compression or encoding.\n"))
        << text;
    EXPECT_EQ(std::string::npos, text.find("error detected")) << text;

    PosixHost alone;
    EXPECT_EQ(81, RunUnzipJob(TestOptions(all), alone, nullptr));
    EXPECT_NE(std::string::npos, alone.AllText().find("Caution:  zero files tested in " + all + ".\n" +
                                                      "1 file skipped because of unsupported compression or encoding.\n"))
        << alone.AllText();
}

// The end record's signature inside the comment (text, or a whole copy of
// an empty record) must not hide the real record: 7-Zip opens these.
TEST(UnusualArchive, EndRecordSignatureInTheComment) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
comments = {'text.zip': b'see PK\x05\x06 here, then more text',
            'record.zip': b'x' + b'PK\x05\x06' + b'\x00' * 18}
for name, comment in comments.items():
    with zipfile.ZipFile(name, 'w') as z:
        z.writestr('a.txt', 'hello')
        z.writestr('b/c.txt', 'world')
        z.comment = comment
)"));
    for (const char* name : {"text.zip", "record.zip"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(0, Shell("7zz t " + Quote(work / name) + " > /dev/null"));
        PosixHost lister;
        ASSERT_EQ(0, RunUnzipJob(ListOptions(work / name), lister, nullptr)) << lister.AllText();
        ASSERT_EQ(2u, lister.entries.size());
        EXPECT_EQ("b/c.txt", lister.entries[1].path);
        PosixHost tester;
        EXPECT_EQ(0, RunUnzipJob(TestOptions(work / name), tester, nullptr)) << tester.AllText();
    }
    // An empty archive stays empty, and a damaged one damaged.
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('empty.zip', 'w') as z:
    z.comment = b'PK\x05\x06 in an empty archive'
data = bytearray(open('text.zip', 'rb').read())
data[data.find(b'PK\x01\x02')] = 0
open('damaged.zip', 'wb').write(data)
)"));
    PosixHost empty;
    EXPECT_EQ(1, RunUnzipJob(ListOptions(work / "empty.zip"), empty, nullptr));
    EXPECT_NE(std::string::npos, empty.AllText().find("zipfile is empty"));
    PosixHost damaged;
    EXPECT_EQ(3, RunUnzipJob(ListOptions(work / "damaged.zip"), damaged, nullptr));
    EXPECT_NE(std::string::npos, damaged.AllText().find("central directory not where the end record says"));
}

// The Zip64 records are the archive's only when its end record sends the
// reader to them with a marker, or repeats their values (Python writes them
// past 2 GiB with the real values beside them). Bytes that merely look like
// a locator before the end record - a member's comment, a kept stub - are
// not taken for the archive's.
TEST(UnusualArchive, Zip64RecordsAreTakenOnlyWhenTheEndRecordPointsToThem) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import struct, subprocess, zipfile
def zip64_records(count, size, offset, at):
    return (struct.pack('<IQHHIIQQQQ', 0x06064b50, 44, 45, 45, 0, 0, count, count, size, offset) +
            struct.pack('<IIQI', 0x07064b50, 0, at, 1))
with zipfile.ZipFile('comment.zip', 'w') as z:
    z.writestr('a.txt', 'hello')
    info = zipfile.ZipInfo('b.txt')
    info.comment = zip64_records(7, 999, 12345, 0)
    z.writestr(info, 'world')
with zipfile.ZipFile('plain.zip', 'w') as z:
    z.writestr('a.txt', 'hello')
    z.writestr('b.txt', 'world')
data = open('plain.zip', 'rb').read()
end = data.rfind(b'PK\x05\x06')
count, size, offset = struct.unpack('<HII', data[end + 10:end + 20])
repeated = data[:end] + zip64_records(count, size, offset, end) + data[end:]
stub = b'MZ pretend self-extractor stub\n'
open('repeated.zip', 'wb').write(stub + repeated)
open('a.txt', 'w').write('hello')
open('b.txt', 'w').write('world')
subprocess.check_call(['zip', '-q', '-fz', 'forced.zip', 'a.txt', 'b.txt'])
open('forced-stub.zip', 'wb').write(stub + open('forced.zip', 'rb').read())
data = bytearray(open('forced.zip', 'rb').read())
data[data.rfind(b'PK\x06\x07')] = 0
open('lost.zip', 'wb').write(data)
)"));
    for (const char* name : {"comment.zip", "repeated.zip", "forced-stub.zip"}) {
        SCOPED_TRACE(name);
        PosixHost lister;
        ASSERT_EQ(0, RunUnzipJob(ListOptions(work / name), lister, nullptr)) << lister.AllText();
        ASSERT_EQ(2u, lister.entries.size());
        EXPECT_EQ("b.txt", lister.entries[1].path);
        PosixHost tester;
        EXPECT_EQ(0, RunUnzipJob(TestOptions(work / name), tester, nullptr)) << tester.AllText();
    }
    // A marker with no Zip64 record to read is still a damaged archive.
    PosixHost lost;
    EXPECT_EQ(3, RunUnzipJob(ListOptions(work / "lost.zip"), lost, nullptr));
    EXPECT_NE(std::string::npos, lost.AllText().find("Zip64 end of central directory record not found"))
        << lost.AllText();
}

// A local header said to lie past the end of the file is a cut or damaged
// archive, not a zip bomb.
TEST(UnusualArchive, HeaderPastTheEndIsADamagedArchive) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kForge) + R"(
import os
with zipfile.ZipFile('past.zip', 'w') as z:
    z.writestr('a.txt', 'alpha')
    z.writestr('b.txt', 'bravo')
patch('past.zip', central_offsets('past.zip')[1] + 42, 'I', os.path.getsize('past.zip') + 1000)
)"));
    for (bool test : {true, false}) {
        SCOPED_TRACE(test ? "test" : "extraction");
        std::string out = work / (test ? "unused" : "out");
        PosixHost host;
        EXPECT_EQ(2, RunUnzipJob(test ? TestOptions(work / "past.zip") : ExtractOptions(work / "past.zip", out), host,
                                 nullptr));
        std::string text = host.AllText();
        EXPECT_NE(std::string::npos, text.find("b.txt   data runs past the end of the archive (truncated or damaged"))
            << text;
        EXPECT_EQ(std::string::npos, text.find("zip bomb")) << text;
        if (!test) {
            EXPECT_EQ("alpha", ReadFile(out + "/a.txt"));
        }
    }
}

// A disk of a split archive: the listing warns as unzip does (callers
// tell the user it is one disk of several); a test or an extraction that
// does nothing fails as unzip's does.
TEST(UnusualArchive, OneDiskOfASplitArchive) {
    TempDir work;
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) +
                       " && head -c 300000 /dev/urandom > r.bin && zip -q -s 64k split.zip r.bin && rm r.bin"));
    const std::string split = work / "split.zip";
    PosixHost lister;
    EXPECT_EQ(1, RunUnzipJob(ListOptions(split), lister, nullptr));
    PosixHost tester;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(split), tester, nullptr));
    EXPECT_EQ(2, Shell("unzip -tq " + Quote(split) + " > /dev/null 2>&1"));
    PosixHost extractor;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(split, work / "out"), extractor, nullptr));
    EXPECT_NE(std::string::npos, extractor.AllText().find("multi-part archives are not supported"));
    EXPECT_FALSE(Exists(work / "out/r.bin"));
}

// A NUL inside a stored name must not cut the messages that name it
// (callers read them as C strings): control characters are spelled as
// unzip spells them.
TEST(UnusualArchive, ControlCharactersInNamesAreSpelledOut) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kForge) + R"(
with zipfile.ZipFile('nul.zip', 'w') as z:
    z.writestr('../evilXname.txt', 'refused')
    z.writestr('aXb.txt', 'written')
data = bytearray(open('nul.zip', 'rb').read())
for name in (b'../evilXname.txt', b'aXb.txt'):
    at = data.find(name)
    while at >= 0:
        data[at + name.find(b'X')] = 0 if name.startswith(b'..') else 1
        at = data.find(name, at + 1)
open('nul.zip', 'wb').write(data)
)"));
    std::string out = work / "out";
    PosixHost host;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "nul.zip", out), host, nullptr));
    std::string text = host.AllText();
    EXPECT_NE(std::string::npos,
              text.find("   skipping: ../evil^@name.txt  refused: path leads out of the extraction folder"))
        << text;
    EXPECT_EQ("written", ReadFile(out + "/a_b.txt"));
    PosixHost tester;
    EXPECT_EQ(0, RunUnzipJob(TestOptions(work / "nul.zip"), tester, nullptr));
    EXPECT_NE(std::string::npos, tester.AllText().find("    testing: a^Ab.txt   OK\n")) << tester.AllText();
}

}  // namespace
}  // namespace ziptest
