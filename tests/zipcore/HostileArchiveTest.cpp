// Hostile and damaged archives: path escapes, overlapping members, forged
// sizes and counts, truncated and corrupted files. The job must never write
// outside the extraction folder, never leave a partial file under a final
// name, never crash, and return the documented code.
#include "TestSupport.h"

#include <filesystem>

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

// Python helpers to forge archives: patch(file, offset, fmt, value) and the
// positions of a member's local and central headers.
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
def local_offset(path, index):
    return zipfile.ZipFile(path).infolist()[index].header_offset
)";

// Every file below `root` other than those in `allowed` (one folder).
std::string FilesOutside(const std::string& root, const std::string& allowed) {
    std::string list = root + "/../outside.txt";
    Shell("cd " + Quote(root) + " && find . -type f ! -path './" + allowed + "/*' | sort > " + Quote(list));
    return ReadFile(list);
}

TEST(HostileArchive, PathEscapesAreRefusedByName) {
    TempDir work;
    std::string out = work / "deep/out";
    Shell("mkdir -p " + Quote(out));
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
names = ['../evil1.txt', 'a/../../evil2.txt', '/tmp/evil3.txt', 'C:/evil4.txt', 'c:evil5.txt',
         '..\\evil6.txt', 'CON', 'sub/aux.txt', 'ok/good.txt', 'x/.. /evil7.txt']
with zipfile.ZipFile('deep/hostile.zip', 'w') as z:
    for n in names:
        z.writestr(zipfile.ZipInfo(n), 'payload of ' + n)
)"));
    for (bool keepFolders : {true, false}) {
        SCOPED_TRACE(keepFolders ? "with folders" : "names only");
        Shell("rm -rf " + Quote(out) + " && mkdir " + Quote(out));
        PosixHost host;
        zipcore::UnzipOptions o = ExtractOptions(work / "deep/hostile.zip", out);
        o.keepFolders = keepFolders;
        EXPECT_EQ(2, RunUnzipJob(o, host, nullptr));
        std::string text = host.AllText();
        for (const char* name : {"../evil1.txt", "a/../../evil2.txt", "/tmp/evil3.txt", "C:/evil4.txt", "c:evil5.txt",
                                 "../evil6.txt", "CON", "sub/aux.txt", "x/.. /evil7.txt"})
            EXPECT_NE(std::string::npos, text.find("   skipping: " + std::string(name) + "  refused: ")) << name;
        EXPECT_EQ("payload of ok/good.txt", ReadFile(out + (keepFolders ? "/ok/good.txt" : "/good.txt")));
        EXPECT_EQ("./deep/hostile.zip\n./script.py\n", FilesOutside(work.path(), "deep/out"));
        EXPECT_FALSE(Exists("/tmp/evil3.txt"));
    }
}

// Member "a" is re-declared (local and central headers agreeing) so that
// its data runs over member "b": the overlapping shape of zip bombs.
TEST(HostileArchive, OverlappingMembersAreRefused) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kForge) + R"(
with zipfile.ZipFile('overlap.zip', 'w') as z:
    z.writestr('a.txt', 'A' * 100)
    z.writestr('b.txt', 'B' * 100)
grow = local_offset('overlap.zip', 1) - local_offset('overlap.zip', 0) - 30 - 5 + 60
for pos in (local_offset('overlap.zip', 0) + 18, central_offsets('overlap.zip')[0] + 20):
    patch('overlap.zip', pos, 'I', grow); patch('overlap.zip', pos + 4, 'I', grow)
# Two directory entries sharing one local header.
with zipfile.ZipFile('shared.zip', 'w') as z:
    z.writestr('x.txt', 'X' * 100)
    z.writestr('y.txt', 'Y' * 100)
patch('shared.zip', central_offsets('shared.zip')[1] + 42, 'I', 0)
)"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "overlap.zip", out), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("a.txt   data overlaps another member"));
    EXPECT_FALSE(Exists(out + "/a.txt"));
    EXPECT_EQ(std::string(100, 'B'), ReadFile(out + "/b.txt"));

    PosixHost shared;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(work / "shared.zip"), shared, nullptr));
    EXPECT_NE(std::string::npos, shared.AllText().find("2 errors detected"));
}

TEST(HostileArchive, ForgedSizesAndCounts) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kForge) + R"(
import shutil
with zipfile.ZipFile('base.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('bomb.txt', 'Z' * 1000000)
    z.writestr('stored.txt', 'S' * 50, compress_type=zipfile.ZIP_STORED)
# Declared uncompressed size far below the real one (local and central).
shutil.copy('base.zip', 'small.zip')
patch('small.zip', local_offset('small.zip', 0) + 22, 'I', 100)
patch('small.zip', central_offsets('small.zip')[0] + 24, 'I', 100)
# A compressed size larger than the whole file.
shutil.copy('base.zip', 'huge.zip')
patch('huge.zip', local_offset('huge.zip', 1) + 18, 'I', 0x7ffffff0)
patch('huge.zip', local_offset('huge.zip', 1) + 22, 'I', 0x7ffffff0)
patch('huge.zip', central_offsets('huge.zip')[1] + 20, 'I', 0x7ffffff0)
patch('huge.zip', central_offsets('huge.zip')[1] + 24, 'I', 0x7ffffff0)
# Absurd counts and directory sizes in the end record.
shutil.copy('base.zip', 'count.zip')
size = len(open('count.zip', 'rb').read())
patch('count.zip', size - 22 + 8, 'H', 65535); patch('count.zip', size - 22 + 10, 'H', 65535)
shutil.copy('base.zip', 'cdsize.zip')
patch('cdsize.zip', size - 22 + 12, 'I', 0xfffffff0)
# The central and local headers disagreeing on the method.
shutil.copy('base.zip', 'method.zip')
patch('method.zip', local_offset('method.zip', 1) + 8, 'H', 8)
)"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost small;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "small.zip", out), small, nullptr));
    EXPECT_NE(std::string::npos, small.AllText().find("bomb.txt   size does not match"));
    EXPECT_FALSE(Exists(out + "/bomb.txt"));
    EXPECT_TRUE(Exists(out + "/stored.txt"));

    PosixHost huge;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(work / "huge.zip"), huge, nullptr));
    EXPECT_NE(std::string::npos, huge.AllText().find("stored.txt   data runs past the end"));

    PosixHost count;
    EXPECT_EQ(3, RunUnzipJob(ListOptions(work / "count.zip"), count, nullptr));
    EXPECT_TRUE(count.entries.empty());
    PosixHost cdsize;
    EXPECT_EQ(3, RunUnzipJob(ListOptions(work / "cdsize.zip"), cdsize, nullptr));

    PosixHost method;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(work / "method.zip"), method, nullptr));
    EXPECT_NE(std::string::npos, method.AllText().find("stored.txt   local header missing or disagreeing"));
}

TEST(HostileArchive, CorruptedDataLeavesNoFileBehind) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kForge) + R"(
import random
random.seed(3)
text = ''.join(random.choice('abcdefgh \n') for _ in range(200000))
with zipfile.ZipFile('c.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('text.txt', text)
    z.writestr('stored.txt', 'S' * 5000, compress_type=zipfile.ZIP_STORED)
data = bytearray(open('c.zip', 'rb').read())
for name, at in (('text.txt', 2000), ('stored.txt', 100)):
    info = zipfile.ZipFile('c.zip').getinfo(name)
    pos = info.header_offset + 30 + len(name) + at
    data[pos] ^= 0x55
open('c.zip', 'wb').write(data)
)"));
    PosixHost tester;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(work / "c.zip"), tester, nullptr));
    EXPECT_NE(std::string::npos, tester.AllText().find("2 errors detected in compressed data of"));

    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "c.zip", out), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("stored.txt   bad CRC"));
    EXPECT_EQ("", TreeDigest(out));
    Shell("ls -A " + Quote(out) + " > " + Quote(work / "listing"));
    EXPECT_EQ("", ReadFile(work / "listing"));  // no temporary file left either
}

// One extractor serves every member of a job: a member whose data breaks
// off midway must leave nothing (unread input, inflate state, CRC) to the
// members after it, deflated or stored, in a test or an extraction.
TEST(HostileArchive, MembersAfterABrokenOneAreReadWhole) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kForge) + R"(
import random
random.seed(5)
def text(n): return ''.join(random.choice('abcdefgh \n') for _ in range(n))
with zipfile.ZipFile('m.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('a.txt', text(50000))
    z.writestr('broken.txt', text(300000))
    z.writestr('c.txt', text(70000))
    z.writestr('d.txt', text(9000), compress_type=zipfile.ZIP_STORED)
    z.writestr('e.txt', text(400000))
data = bytearray(open('m.zip', 'rb').read())
info = zipfile.ZipFile('m.zip').getinfo('broken.txt')
for at in range(3000, 3040): data[info.header_offset + 30 + len('broken.txt') + at] ^= 0x5A
open('m.zip', 'wb').write(data)
)"));
    PosixHost tester;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(work / "m.zip"), tester, nullptr));
    std::string report = tester.AllText();
    EXPECT_NE(std::string::npos, report.find("1 error detected in compressed data of"));
    for (const char* name : {"a.txt", "c.txt", "d.txt", "e.txt"})
        EXPECT_NE(std::string::npos, report.find(std::string("testing: ") + name + "   OK")) << name;

    std::string ours = work / "ours", theirs = work / "theirs";
    Shell("mkdir " + Quote(ours) + " " + Quote(theirs));
    PosixHost extractor;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "m.zip", ours), extractor, nullptr));
    EXPECT_FALSE(Exists(ours + "/broken.txt"));
    Shell("cd " + Quote(theirs) + " && unzip -qq ../m.zip a.txt c.txt d.txt e.txt");
    EXPECT_EQ(TreeDigest(theirs), TreeDigest(ours));
}

// Small deflated members are inflated in one call, large ones streamed;
// damage must read the same either way. Each member below carries one
// damage (a changed byte of its stream, a cut or padded compressed size, a
// lying uncompressed size or CRC) and must get the verdict of zlib's
// streaming inflate over the member's bytes, which Python works out; the
// members that pass must extract to exactly their data.
TEST(HostileArchive, DamagedSmallDeflateMembersReadAsAStreamReadsThem) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import os, random, struct, zlib
random.seed(9)
def raw(data, level):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()
def verdict(data, crc, size):
    d = zlib.decompressobj(-15)
    try: out = d.decompress(data)
    except zlib.error: return 'invalid compressed data', None
    if len(out) > size: return 'size does not match', None
    if not d.eof: return 'compressed data truncated', None
    if len(out) != size: return 'size does not match', None
    if zlib.crc32(out) != crc: return 'bad CRC', None
    return 'OK', out
members, central, body, manifest = [], b'', b'', ''
def add(data, crc, size, extra=b''):
    global central, body, manifest
    name = 'm%04d.txt' % len(members)
    n = name.encode()
    fields = struct.pack('<HHHHHIII', 20, 0, 8, 0, 0x21, crc, len(data), size)
    central += struct.pack('<IH', 0x02014b50, 20) + fields + struct.pack('<HHHHHII', len(n), 0, 0, 0, 0, 0, len(body)) + n
    body += struct.pack('<I', 0x04034b50) + fields + struct.pack('<HH', len(n), 0) + n + data + extra
    expected, out = verdict(data, crc, size)
    manifest += name + ' ' + expected + '\n'
    if out is not None:
        os.makedirs('expected', exist_ok=True)
        open('expected/' + name, 'wb').write(out)
    members.append(name)
text = ''.join(random.choice('abcdefgh \n') for _ in range(900)).encode()
for plain, level in ((text, 6), (text[:40], 6), (text[:300], 0)):  # dynamic, fixed and stored blocks
    stream, crc, size = raw(plain, level), zlib.crc32(plain), len(plain)
    add(stream, crc, size)
    for at in range(len(stream)):
        for mask in (0x01, 0x5A):
            damaged = bytearray(stream); damaged[at] ^= mask
            add(bytes(damaged), crc, size)
    for cut in (1, 2, len(stream) // 2, len(stream) - 1):
        add(stream[:-cut], crc, size, stream[-cut:])
    add(stream + b'\0\0\0', crc, size)
    add(stream + b'PK', crc, size)
    for lie in (0, 1, size - 1, size + 1, 1024 * 1024, 1024 * 1024 + 1):
        add(stream, crc, lie)
    add(stream, crc ^ 1, size)
add(raw(b'', 6), 0, 0)
end = struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(members), len(members), len(central), len(body), 0)
open('d.zip', 'wb').write(body + central + end)
open('manifest.txt', 'w').write(manifest)
)"));
    PosixHost tester;
    RunUnzipJob(TestOptions(work / "d.zip"), tester, nullptr);
    const std::string report = tester.AllText();
    std::istringstream manifest(ReadFile(work / "manifest.txt"));
    std::string name, expected;
    size_t cases = 0;
    while (manifest >> name && std::getline(manifest, expected)) {
        ++cases;
        EXPECT_NE(std::string::npos, report.find("testing: " + name + "  " + expected)) << name << expected;
    }
    EXPECT_GT(cases, 1000u);

    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost extractor;
    RunUnzipJob(ExtractOptions(work / "d.zip", out), extractor, nullptr);
    EXPECT_EQ(TreeDigest(work / "expected"), TreeDigest(out));
}

// Every prefix of an archive, and every single-byte corruption of it, runs
// through list, test and extract without a crash and without a write
// outside the extraction folder.
TEST(HostileArchive, TruncationAndCorruptionSweep) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('base.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('d/one.txt', 'one ' * 50)
    z.writestr('two.bin', bytes(range(200)), compress_type=zipfile.ZIP_STORED)
    z.setpassword(b'x')
    z.comment = b'comment'
)"));
    std::string base = ReadFile(work / "base.zip");
    std::string sample = work / "sample.zip";
    std::string out = work / "out";
    auto runAll = [&](const std::string& bytes, bool complete) {
        WriteFile(sample, bytes);
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        PosixHost lister, tester, extractor;
        int listed = RunUnzipJob(ListOptions(sample), lister, nullptr);
        int tested = RunUnzipJob(TestOptions(sample), tester, nullptr);
        int extracted = RunUnzipJob(ExtractOptions(sample, out), extractor, nullptr);
        if (!complete) {
            EXPECT_NE(0, tested) << bytes.size();
            EXPECT_NE(0, extracted) << bytes.size();
        }
        for (int code : {listed, tested, extracted}) EXPECT_TRUE(code <= 3 || code == 9 || code == 81) << code;
    };
    const size_t commentSize = 7;  // a cut comment still leaves a sound archive
    for (size_t cut = 0; cut < base.size(); ++cut) runAll(base.substr(0, cut), cut >= base.size() - commentSize);
    for (size_t at = 0; at < base.size(); ++at) {
        std::string damaged = base;
        damaged[at] = static_cast<char>(damaged[at] ^ 0xA5);
        runAll(damaged, true);
    }
    EXPECT_EQ("./base.zip\n./sample.zip\n./script.py\n", FilesOutside(work.path(), "out"));
}

}  // namespace
}  // namespace ziptest
