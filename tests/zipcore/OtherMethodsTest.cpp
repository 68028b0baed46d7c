// Members compressed with the methods other tools write beside deflate
// (Deflate64, BZip2, LZMA), by 7-Zip and Python's zipfile: they list, test
// and extract byte-identical; damaged, truncated or oversized ones fail
// with their reason and leave no file.
#include "TestSupport.h"

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

// Text that compresses well, incompressible bytes (stored blocks in
// Deflate64), an empty file, long repeats, and folders.
void MakeCorpus(const TempDir& work) {
    ASSERT_EQ(0, RunPython(work, R"(
import os, random
random.seed(11)
os.makedirs('src/sub/deeper', exist_ok=True)
with open('src/readme.txt', 'w') as f:
    for i in range(40000): f.write('line %d of a text that compresses well\n' % i)
with open('src/random.bin', 'wb') as f: f.write(random.randbytes(400000))
open('src/sub/empty.dat', 'wb').close()
with open('src/sub/deeper/mixed.bin', 'wb') as f:
    f.write(b'abc' * 200000 + random.randbytes(90000) + bytes(300000) + b'xyz' * 5000)
)"));
}

void ExpectListingMatchesPython(const TempDir& work, const std::string& archive) {
    PosixHost host;
    zipcore::ListingTotals totals;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(archive), host, &totals));
    EXPECT_EQ(PythonListing(work, archive), OurListing(host.entries));
}

void ExpectTestedAndExtracted(const TempDir& work, const std::string& archive, const std::string& original) {
    PosixHost tester;
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), tester, nullptr)) << tester.AllText();
    EXPECT_NE(std::string::npos, tester.AllText().find("No errors detected in compressed data of " + archive + "."));
    std::string out = work / "out";
    Shell("rm -rf " + Quote(out) + " && mkdir " + Quote(out));
    PosixHost host;
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, out), host, nullptr)) << host.AllText();
    EXPECT_EQ(TreeDigest(original), TreeDigest(out));
    // Compressed members are announced as inflated, as the callers expect.
    EXPECT_NE(std::string::npos, host.AllText().find("  inflating: " + out + "/readme.txt"));
}

class SevenZipMethod : public testing::TestWithParam<const char*> {};

TEST_P(SevenZipMethod, ListsTestsAndExtractsByteIdentical) {
    TempDir work;
    MakeCorpus(work);
    std::string archive = work / "peer.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work / "src") + " && 7zz a -tzip -mm=" + GetParam() + " -bd -bso0 " +
                       Quote(archive) + " ."));
    ExpectListingMatchesPython(work, archive);
    ExpectTestedAndExtracted(work, archive, work / "src");
}

INSTANTIATE_TEST_SUITE_P(Methods, SevenZipMethod, testing::Values("Deflate64", "BZip2", "LZMA"));

TEST(OtherMethods, SevenZipStrongestLevelsAndLargeDictionary) {
    TempDir work;
    MakeCorpus(work);
    for (const char* options : {"-mm=Deflate64 -mx9", "-mm=BZip2 -mx9", "-mm=LZMA -mx9 -md=64m"}) {
        std::string archive = work / "strong.zip";
        Shell("rm -f " + Quote(archive));
        ASSERT_EQ(0, Shell("cd " + Quote(work / "src") + " && 7zz a -tzip " + options + " -bd -bso0 " +
                           Quote(archive) + " ."));
        ExpectTestedAndExtracted(work, archive, work / "src");
    }
}

TEST(OtherMethods, PythonBzip2AndLzmaWithEmptyMembers) {
    TempDir work;
    MakeCorpus(work);
    std::string archive = work / "py.zip";
    ASSERT_EQ(0, RunPython(work, R"(
import os, zipfile
with zipfile.ZipFile('py.zip', 'w') as z:
    for root, dirs, files in os.walk('src'):
        for name in files:
            path = os.path.join(root, name)
            method = zipfile.ZIP_LZMA if name.endswith('.bin') else zipfile.ZIP_BZIP2
            z.write(path, os.path.relpath(path, 'src'), compress_type=method)
    z.writestr('sub/empty-lzma.dat', b'', compress_type=zipfile.ZIP_LZMA)
open('src/sub/empty-lzma.dat', 'wb').close()
)"));
    ExpectListingMatchesPython(work, archive);
    ExpectTestedAndExtracted(work, archive, work / "src");
}

// Python rewrites the only member of `archive`: `patch` is a Python
// statement over `data` (its compressed bytes, a bytearray), `csize` and
// `usize` (the sizes written in both headers).
void PatchMember(const TempDir& work, const std::string& archive, const std::string& patch) {
    ASSERT_EQ(0, RunPython(work, "import struct\n"
                                 "raw = bytearray(open('" +
                                     archive +
                                     "', 'rb').read())\n"
                                     "csize, usize = struct.unpack('<II', raw[18:26])\n"
                                     "nlen, xlen = struct.unpack('<HH', raw[26:30])\n"
                                     "start = 30 + nlen + xlen\n"
                                     "data = raw[start:start + csize]\n"
                                     "central = raw[start + csize:]\n" +
                                     patch +
                                     "\n"
                                     "head = raw[:start]\n"
                                     "head[18:26] = struct.pack('<II', len(data), usize)\n"
                                     "at = central.find(b'PK\\x01\\x02')\n"
                                     "central[at + 20:at + 28] = struct.pack('<II', len(data), usize)\n"
                                     "end = central.find(b'PK\\x05\\x06')\n"
                                     "central[end + 16:end + 20] = struct.pack('<I', len(head) + len(data))\n"
                                     "open('" +
                                     archive + "', 'wb').write(head + data + central)\n"));
}

// One member of `method` (Python's 12 or 14, or 7-Zip's Deflate64) holding
// a text of 2 MB.
std::string OneMember(const TempDir& work, const std::string& method) {
    std::string archive = work / ("one-" + method + ".zip");
    Shell("rm -f " + Quote(archive));
    RunPython(work, "open('big.txt', 'w').write(''.join('%d, ' % i for i in range(400000)))\n");
    if (method == "Deflate64")
        EXPECT_EQ(0, Shell("cd " + Quote(work.path()) + " && 7zz a -tzip -mm=Deflate64 -bd -bso0 " + Quote(archive) +
                           " big.txt"));
    else
        EXPECT_EQ(0, RunPython(work, "import zipfile\nwith zipfile.ZipFile('" + archive +
                                         "', 'w') as z: z.write('big.txt', compress_type=" + method + ")\n"));
    return archive;
}

// Extracts `archive` and expects it to fail with `reason`, leaving nothing.
void ExpectFailsLeavingNothing(const TempDir& work, const std::string& archive, const std::string& reason) {
    std::string out = work / "failed";
    Shell("rm -rf " + Quote(out) + " && mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(2, RunUnzipJob(ExtractOptions(archive, out), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find(reason)) << host.AllText();
    EXPECT_EQ("", TreeDigest(out));
    PosixHost tester;
    EXPECT_EQ(2, RunUnzipJob(TestOptions(archive), tester, nullptr));
    EXPECT_NE(std::string::npos, tester.AllText().find("1 error detected")) << tester.AllText();
}

class DamagedMember : public testing::TestWithParam<const char*> {};

TEST_P(DamagedMember, TruncatedDataIsRefused) {
    TempDir work;
    std::string archive = OneMember(work, GetParam());
    PatchMember(work, archive, "data = data[:len(data) // 2]");
    ExpectFailsLeavingNothing(work, archive, "big.txt   compressed data truncated");
}

TEST_P(DamagedMember, CorruptDataIsRefused) {
    TempDir work;
    std::string archive = OneMember(work, GetParam());
    PatchMember(work, archive, "for i in range(len(data) // 3, len(data) // 3 + 64): data[i] ^= 0x5a");
    ExpectFailsLeavingNothing(work, archive, "  error:  big.txt   ");
}

// A member that decodes to more than its declared size (the zip bomb's
// lie) stops at that size and is refused; one that decodes to less too
// (LZMA, told its size, finds its end marker too early: invalid data).
TEST_P(DamagedMember, SizeOtherThanDeclaredIsRefused) {
    TempDir work;
    std::string archive = OneMember(work, GetParam());
    PatchMember(work, archive, "usize = 1000");
    ExpectFailsLeavingNothing(work, archive, "  error:  big.txt   ");
    PatchMember(work, archive, "usize = 5000000");
    ExpectFailsLeavingNothing(work, archive, "  error:  big.txt   ");
}

INSTANTIATE_TEST_SUITE_P(Methods, DamagedMember,
                         testing::Values("Deflate64", "zipfile.ZIP_BZIP2", "zipfile.ZIP_LZMA"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(name.find_last_of("._") + 1);
                         });

// A highly compressible BZip2 member far larger than its declared size is
// stopped at the declared size, long before it is all decoded.
TEST(OtherMethods, Bzip2BombStopsAtTheDeclaredSize) {
    TempDir work;
    std::string archive = work / "bomb.zip";
    ASSERT_EQ(0, RunPython(work, "import zipfile\n"
                                 "with zipfile.ZipFile('bomb.zip', 'w', zipfile.ZIP_BZIP2) as z:\n"
                                 "    with z.open('zeros.bin', 'w') as f:\n"
                                 "        for i in range(4): f.write(bytes(1 << 24))\n"));
    PatchMember(work, archive, "usize = 1 << 20");
    ExpectFailsLeavingNothing(work, archive, "  error:  zeros.bin   size does not match the central directory");
}

}  // namespace
}  // namespace ziptest
