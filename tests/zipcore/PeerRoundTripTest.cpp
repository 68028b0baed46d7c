// Archives written by the peer tools (Info-ZIP zip, 7-Zip, Python's
// zipfile) list with the right names, sizes, dates, CRCs and methods, test
// clean and extract byte-identical.
#include "TestSupport.h"

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

// A small tree with text, incompressible data, an empty file and folders.
void MakeCorpus(const TempDir& work) {
    ASSERT_EQ(0, RunPython(work, R"(
import os, random
random.seed(7)
os.makedirs('src/sub/deeper', exist_ok=True)
os.makedirs('src/empty-folder', exist_ok=True)
with open('src/readme.txt', 'w') as f:
    for i in range(3000): f.write('line %d of a text that compresses well\n' % i)
with open('src/random.bin', 'wb') as f: f.write(bytes(random.getrandbits(8) for _ in range(300000)))
open('src/sub/empty.dat', 'wb').close()
with open('src/sub/deeper/mixed.bin', 'wb') as f:
    f.write(b'abc' * 100000 + bytes(random.getrandbits(8) for _ in range(70000)))
)"));
}

void ExpectListingMatchesPython(const TempDir& work, const std::string& archive) {
    PosixHost host;
    zipcore::ListingTotals totals;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(archive), host, &totals));
    EXPECT_EQ(PythonListing(work, archive), OurListing(host.entries));
    EXPECT_EQ(totals.members, host.entries.size());
}

void ExpectTestClean(const std::string& archive) {
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("No errors detected in compressed data of " + archive + "."));
}

void ExpectExtractIdentical(const TempDir& work, const std::string& archive, const std::string& original) {
    std::string out = work / "out";
    Shell("rm -rf " + Quote(out) + " && mkdir " + Quote(out));
    PosixHost host;
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, out), host, nullptr)) << host.AllText();
    EXPECT_EQ(TreeDigest(original), TreeDigest(out));
}

TEST(PeerRoundTrip, InfoZipEveryLevel) {
    TempDir work;
    MakeCorpus(work);
    for (int level = 0; level <= 9; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        std::string archive = work / ("l" + std::to_string(level) + ".zip");
        ASSERT_EQ(0, Shell("cd " + Quote(work / "src") + " && zip -q -r -" + std::to_string(level) + " " +
                           Quote(archive) + " ."));
        ExpectListingMatchesPython(work, archive);
        ExpectTestClean(archive);
        ExpectExtractIdentical(work, archive, work / "src");
    }
}

TEST(PeerRoundTrip, InfoZipFoldersAreCreatedAndNamesJunkedWithoutThem) {
    TempDir work;
    MakeCorpus(work);
    std::string archive = work / "a.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q -r a.zip src"));
    std::string out = work / "flat";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    zipcore::UnzipOptions o = ExtractOptions(archive, out);
    o.keepFolders = false;
    ASSERT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ(ReadFile(work / "src/sub/deeper/mixed.bin"), ReadFile(out + "/mixed.bin"));
    EXPECT_FALSE(Exists(out + "/src"));

    std::string tree = work / "tree";
    Shell("mkdir " + Quote(tree));
    PosixHost host2;
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, tree), host2, nullptr));
    EXPECT_TRUE(Exists(tree + "/src/empty-folder"));
    EXPECT_NE(std::string::npos, host2.AllText().find("   creating: " + tree + "/src/empty-folder/"));
    EXPECT_NE(std::string::npos, host2.AllText().find("  inflating: " + tree + "/src/readme.txt"));
}

TEST(PeerRoundTrip, InfoZipEncryptedWithPassword) {
    TempDir work;
    MakeCorpus(work);
    std::string archive = work / "enc.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work / "src") + " && zip -q -r -P 'sésame' " + Quote(archive) + " ."));
    ExpectListingMatchesPython(work, archive);

    // A wrong answer is detected by the check byte and asked again; the
    // right one is kept for the following members.
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    host.passwordAnswers = {"wrong", "sésame"};
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, out), host, nullptr)) << host.AllText();
    EXPECT_EQ(2u, host.passwordAsked.size());
    EXPECT_EQ(TreeDigest(work / "src"), TreeDigest(out));

    PosixHost tester;
    tester.passwordAnswers = {"sésame"};
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), tester, nullptr));
}

TEST(PeerRoundTrip, EncryptedWithoutPasswordGivesCode82AndWritesNothing) {
    TempDir work;
    WriteFile(work / "secret.txt", "top secret\n");
    std::string archive = work / "enc.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q -P pw enc.zip secret.txt"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(82, RunUnzipJob(ExtractOptions(archive, out), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("secret.txt  incorrect password"));
    EXPECT_EQ("", TreeDigest(out));
}

// A member zip reads from a pipe has its sizes in a data descriptor: the
// password check byte is then the high byte of the DOS time.
TEST(PeerRoundTrip, EncryptedStreamedMemberUsesTheTimeCheckByte) {
    TempDir work;
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && seq 1 20000 | zip -q -P pw piped.zip -"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    host.passwordAnswers = {"pw"};
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(work / "piped.zip", out), host, nullptr)) << host.AllText();
    Shell("seq 1 20000 > " + Quote(work / "expected"));
    EXPECT_EQ(ReadFile(work / "expected"), ReadFile(out + "/-"));
}

TEST(PeerRoundTrip, AesEncryptionIsReportedUnsupported) {
    TempDir work;
    WriteFile(work / "secret.txt", "aes\n");
    WriteFile(work / "plain.txt", "plain\n");
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) +
                       " && 7zz a -tzip -mem=AES256 -pmotdepasse -bd -bso0 aes.zip"
                       " secret.txt && zip -q aes.zip plain.txt"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(81, RunUnzipJob(ExtractOptions(work / "aes.zip", out), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("secret.txt  unsupported encryption"));
    EXPECT_TRUE(host.passwordAsked.empty());
    EXPECT_EQ("plain\n", ReadFile(out + "/plain.txt"));
    PosixHost lister;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(work / "aes.zip"), lister, nullptr));
    EXPECT_TRUE(lister.entries[0].encrypted);
}

TEST(PeerRoundTrip, InfoZipCommentIsDisplayedAndCounted) {
    TempDir work;
    WriteFile(work / "f.txt", "hello\n");
    std::string archive = work / "c.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && echo 'Le commentaire' | zip -q -z c.zip f.txt"));
    PosixHost host;
    zipcore::UnzipOptions o = ExtractOptions(archive, work / "nowhere");
    o.displayComment = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    ASSERT_EQ(2u, host.printed.size());
    EXPECT_EQ("Le commentaire", host.printed[0]);
    EXPECT_EQ(std::string("\n\n\0", 3), host.printed[1]);
    EXPECT_FALSE(Exists(work / "nowhere"));

    PosixHost lister;
    zipcore::ListingTotals totals;
    EXPECT_EQ(0, RunUnzipJob(ListOptions(archive), lister, &totals));
    EXPECT_EQ(std::string("Le commentaire").size(), totals.commentLength);
}

TEST(PeerRoundTrip, EmptyArchiveWarns) {
    TempDir work;
    std::string archive = work / "empty.zip";
    ASSERT_EQ(0, RunPython(work, "import zipfile\nzipfile.ZipFile('empty.zip', 'w').close()\n"));
    PosixHost host;
    EXPECT_EQ(1, RunUnzipJob(ListOptions(archive), host, nullptr));
    EXPECT_EQ("warning [" + archive + "]:  zipfile is empty\n", host.AllText());
}

TEST(PeerRoundTrip, MissingAndNonZipFiles) {
    TempDir work;
    PosixHost missing;
    EXPECT_EQ(9, RunUnzipJob(ListOptions(work / "none"), missing, nullptr));
    EXPECT_NE(std::string::npos, missing.AllText().find("cannot find either " + (work / "none")));

    // The ".zip" suffix is tried too.
    WriteFile(work / "f.txt", "x");
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q named.zip f.txt"));
    PosixHost suffixed;
    EXPECT_EQ(0, RunUnzipJob(ListOptions(work / "named"), suffixed, nullptr));
    EXPECT_EQ(1u, suffixed.entries.size());

    WriteFile(work / "text.zip", std::string(5000, 'z'));
    PosixHost notZip;
    EXPECT_EQ(9, RunUnzipJob(ListOptions(work / "text.zip"), notZip, nullptr));
    EXPECT_NE(std::string::npos, notZip.AllText().find("cannot find zipfile directory"));
}

TEST(PeerRoundTrip, SevenZipWithUtf8Names) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import os
os.makedirs('src/dossier été', exist_ok=True)
with open('src/dossier été/café.txt', 'w') as f: f.write('crème brûlée\n' * 500)
with open('src/日本語.txt', 'w') as f: f.write('text\n' * 100)
)"));
    std::string archive = work / "7z.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work / "src") + " && 7zz a -tzip -bd -bso0 " + Quote(archive) + " ."));
    ExpectListingMatchesPython(work, archive);
    ExpectTestClean(archive);
    ExpectExtractIdentical(work, archive, work / "src");
}

TEST(PeerRoundTrip, UnsupportedMethodsAreReportedAndTheRestExtracted) {
    TempDir work;
    WriteFile(work / "a.txt", std::string(100000, 'a'));
    WriteFile(work / "ok.txt", std::string(100000, 'o'));
    std::string archive = work / "mixed.zip";
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && 7zz a -tzip -mm=PPMd -bd -bso0 mixed.zip a.txt" +
                       " && zip -q mixed.zip ok.txt"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(81, RunUnzipJob(ExtractOptions(archive, out), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("a.txt  unsupported compression method 98 (PPMd)"));
    EXPECT_EQ(ReadFile(work / "ok.txt"), ReadFile(out + "/ok.txt"));
    EXPECT_FALSE(Exists(out + "/a.txt"));
    PosixHost tester;
    EXPECT_EQ(81, RunUnzipJob(TestOptions(archive), tester, nullptr));
}

TEST(PeerRoundTrip, PythonZip64RecordsAndDataDescriptors) {
    TempDir work;
    std::string archive = work / "z64.zip";
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile, io
with zipfile.ZipFile('z64.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    with z.open('forced.txt', 'w', force_zip64=True) as f: f.write(b'zip64 sizes\n' * 1000)
    z.writestr('stored.bin', bytes(range(256)) * 10, compress_type=zipfile.ZIP_STORED)
# A streamed archive: sizes in data descriptors after the data.
class Unseekable(io.RawIOBase):
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
with open('stream.zip', 'wb') as raw:
    with zipfile.ZipFile(Unseekable(raw), 'w', compression=zipfile.ZIP_DEFLATED) as z:
        z.writestr('streamed.txt', 'data descriptor follows\n' * 2000)
)"));
    ExpectListingMatchesPython(work, archive);
    ExpectTestClean(archive);
    ExpectListingMatchesPython(work, work / "stream.zip");
    ExpectTestClean(work / "stream.zip");
}

TEST(PeerRoundTrip, MoreThan65535Members) {
    TempDir work;
    std::string archive = work / "many.zip";
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('many.zip', 'w') as z:
    for i in range(70000): z.writestr('d%02d/f%05d.txt' % (i % 50, i), str(i))
)"));
    PosixHost host;
    zipcore::ListingTotals totals;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(archive), host, &totals));
    EXPECT_EQ(70000u, totals.members);
    EXPECT_EQ("d49/f69999.txt", host.entries.back().path);
    PosixHost tester;
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), tester, nullptr));
}

// A member over 4 GiB (Zip64 sizes and offsets) made by 7-Zip from a sparse
// file: it lists and tests; nothing is written to disk.
TEST(PeerRoundTrip, SevenZipMemberOver4GiB) {
    TempDir work;
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) +
                       " && truncate -s 4300000000 big.bin && printf tail >> big.bin"
                       " && echo small > small.txt && 7zz a -tzip -mx1 -bd -bso0 big.zip big.bin small.txt"
                       " && rm big.bin"));
    std::string archive = work / "big.zip";
    ExpectListingMatchesPython(work, archive);
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), host, nullptr)) << host.AllText();
}

}  // namespace
}  // namespace ziptest
