// WinZip AES members written by 7-Zip (AES-128, 192, 256 over several
// methods): they list with their encryption mark and real method, test and
// extract byte-identical with the password; a wrong password is told apart
// from altered data, and neither leaves a file. OpenSSL stands for the
// platform's cryptography here.
#include "OpenSslCrypto.h"
#include "TestSupport.h"

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

const char kPassword[] = "motdepasse";

void MakeCorpus(const TempDir& work) {
    ASSERT_EQ(0, RunPython(work, R"(
import os, random
random.seed(5)
os.makedirs('src/sub', exist_ok=True)
with open('src/readme.txt', 'w') as f:
    for i in range(20000): f.write('line %d of a secret text\n' % i)
with open('src/random.bin', 'wb') as f: f.write(random.randbytes(300001))
open('src/sub/empty.dat', 'wb').close()
with open('src/sub/tiny.txt', 'w') as f: f.write('x')
)"));
}

std::string SevenZipAes(const TempDir& work, const std::string& options) {
    std::string archive = work / "aes.zip";
    Shell("rm -f " + Quote(archive));
    EXPECT_EQ(0, Shell("cd " + Quote(work / "src") + " && 7zz a -tzip " + options + " -p" + kPassword +
                       " -bd -bso0 " + Quote(archive) + " ."));
    return archive;
}

// The listing as Python reads it: AES's salt, verifier and code taken off
// the compressed size, the real method from the 0x9901 field.
std::string PythonAesListing(const TempDir& work, const std::string& archive) {
    std::string out = work / "aes-listing.txt";
    RunPython(work, "import zipfile, struct\n"
                    "with zipfile.ZipFile('" +
                        archive + "') as z, open('" + out +
                        "', 'w') as f:\n"
                        "    for i in z.infolist():\n"
                        "        if i.is_dir(): continue\n"
                        "        at = i.extra.find(b'\\x01\\x99')\n"
                        "        strength, method = struct.unpack('<BH', i.extra[at + 8:at + 11])\n"
                        "        f.write('%s|%d|%d|%d|%d\\n' % (i.filename, i.file_size,\n"
                        "                i.compress_size - (4 + 4 * strength) - 12, method, i.flag_bits & 1))\n");
    return ReadFile(out);
}

std::string OurAesListing(const std::vector<zipcore::ListingEntry>& entries) {
    std::string text;
    for (const auto& e : entries) {
        if (!e.path.empty() && e.path.back() == '/') continue;
        int method = e.method == "Stored"              ? 0
                     : e.method.rfind("Defl:", 0) == 0 ? 8
                     : e.method == "BZip2"             ? 12
                     : e.method == "LZMA"              ? 14
                     : e.method == "Def64#"            ? 9
                                                       : -1;
        text += e.path + "|" + std::to_string(e.uncompressedSize) + "|" + std::to_string(e.compressedSize) + "|" +
                std::to_string(method) + "|" + (e.encrypted ? "1" : "0") + "\n";
    }
    return text;
}

class AesArchive : public testing::TestWithParam<const char*> {
protected:
    OpenSslCrypto crypto_;
};

TEST_P(AesArchive, ListsTestsAndExtractsWithThePassword) {
    TempDir work;
    MakeCorpus(work);
    std::string archive = SevenZipAes(work, GetParam());

    PosixHost lister;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(archive), lister, nullptr));
    EXPECT_EQ(PythonAesListing(work, archive), OurAesListing(lister.entries));
    EXPECT_TRUE(lister.passwordAsked.empty());

    PosixHost tester;
    tester.crypto = &crypto_;
    tester.passwordAnswers = {kPassword};
    EXPECT_EQ(0, RunUnzipJob(TestOptions(archive), tester, nullptr)) << tester.AllText();
    EXPECT_NE(std::string::npos, tester.AllText().find("No errors detected"));
    // One password for the whole job.
    EXPECT_EQ(1u, tester.passwordAsked.size());

    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    host.crypto = &crypto_;
    host.passwordAnswers = {kPassword};
    ASSERT_EQ(0, RunUnzipJob(ExtractOptions(archive, out), host, nullptr)) << host.AllText();
    EXPECT_EQ(TreeDigest(work / "src"), TreeDigest(out));
}

INSTANTIATE_TEST_SUITE_P(StrengthsAndMethods, AesArchive,
                         testing::Values("-mem=AES128", "-mem=AES192", "-mem=AES256", "-mem=AES256 -mm=Copy",
                                         "-mem=AES128 -mm=BZip2", "-mem=AES192 -mm=LZMA",
                                         "-mem=AES256 -mm=Deflate64"));

class AesFailures : public testing::Test {
protected:
    void SetUp() override {
        MakeCorpus(work_);
        archive_ = SevenZipAes(work_, "-mem=AES256");
        out_ = work_ / "out";
        Shell("mkdir " + Quote(out_));
    }
    // Rewrites the archive with Python: `patch` is a statement over `raw`
    // (a bytearray) with `local` and `central`, the offsets of
    // readme.txt's headers, and `data`, where its data starts.
    void Patch(const std::string& patch) {
        ASSERT_EQ(0, RunPython(work_, "import struct\nraw = bytearray(open('" + archive_ +
                                          "', 'rb').read())\n"
                                          "central = raw.find(b'PK\\x01\\x02' )\n"
                                          "while raw[central + 46:central + 56] != b'readme.txt':\n"
                                          "    central = raw.find(b'PK\\x01\\x02', central + 4)\n"
                                          "local = struct.unpack('<I', raw[central + 42:central + 46])[0]\n"
                                          "nlen, xlen = struct.unpack('<HH', raw[local + 26:local + 30])\n"
                                          "data = local + 30 + nlen + xlen\n" +
                                          patch + "\nopen('" + archive_ + "', 'wb').write(raw)\n"));
    }
    void ExpectReadmeFails(int code, const std::string& reason) {
        PosixHost host;
        host.crypto = &crypto_;
        host.passwordAnswers = {kPassword};
        EXPECT_EQ(code, RunUnzipJob(ExtractOptions(archive_, out_), host, nullptr));
        EXPECT_NE(std::string::npos, host.AllText().find(reason)) << host.AllText();
        EXPECT_FALSE(Exists(out_ + "/readme.txt"));
        EXPECT_EQ(ReadFile(work_ / "src/random.bin"), ReadFile(out_ + "/random.bin"));
        PosixHost tester;
        tester.crypto = &crypto_;
        tester.passwordAnswers = {kPassword};
        EXPECT_EQ(code, RunUnzipJob(TestOptions(archive_), tester, nullptr));
        EXPECT_NE(std::string::npos, tester.AllText().find(reason)) << tester.AllText();
    }

    TempDir work_;
    std::string archive_, out_;
    OpenSslCrypto crypto_;
};

TEST_F(AesFailures, WrongPasswordIsAskedAgainThenSkipsWithoutFiles) {
    PosixHost host;
    host.crypto = &crypto_;
    host.passwordAnswers = {"faux", "encore faux", "toujours faux"};
    EXPECT_EQ(82, RunUnzipJob(ExtractOptions(archive_, out_), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("readme.txt  incorrect password"));
    // Three tries for the first member, then one for each of the others
    // (the host gives no more answers).
    ASSERT_EQ(6u, host.passwordAsked.size());
    EXPECT_EQ(host.passwordAsked[0], host.passwordAsked[2]);
    EXPECT_NE(host.passwordAsked[2], host.passwordAsked[3]);
    EXPECT_EQ("", TreeDigest(out_));
}

TEST_F(AesFailures, AlteredDataFailsAuthentication) {
    Patch("for i in range(100, 110): raw[data + 16 + 2 + i] ^= 0x01");
    ExpectReadmeFails(2, "readme.txt   authentication failed (damaged or altered data)");
}

TEST_F(AesFailures, AlteredCodeFailsAuthentication) {
    Patch("csize = struct.unpack('<I', raw[central + 20:central + 24])[0]\nraw[data + csize - 1] ^= 0x80");
    ExpectReadmeFails(2, "readme.txt   authentication failed (damaged or altered data)");
}

TEST_F(AesFailures, TruncatedMemberIsRefused) {
    // Both headers say the member is shorter than its salt, verifier and code.
    Patch("raw[central + 20:central + 24] = struct.pack('<I', 20)\nraw[local + 18:local + 22] = struct.pack('<I', 20)");
    ExpectReadmeFails(2, "readme.txt   compressed data truncated");
}

// AE-1 keeps the CRC, and it is checked besides the code: 7-Zip's AE-2
// member made AE-1 with its true CRC extracts, with a false one fails.
TEST_F(AesFailures, AeOneChecksTheCrc) {
    std::string crc = "zlib.crc32(open('" + work_ / "src/readme.txt" + "', 'rb').read())";
    std::string setAe1 =
        "import zlib\n"
        "at = raw.find(b'\\x01\\x99\\x07\\x00', central)\n"
        "raw[at + 4] = 1\n"
        "at = raw.find(b'\\x01\\x99\\x07\\x00', local)\n"
        "raw[at + 4] = 1\n";
    Patch(setAe1 + "raw[central + 16:central + 20] = struct.pack('<I', " + crc +
          ")\nraw[local + 14:local + 18] = struct.pack('<I', " + crc + ")");
    PosixHost host;
    host.crypto = &crypto_;
    host.passwordAnswers = {kPassword};
    EXPECT_EQ(0, RunUnzipJob(ExtractOptions(archive_, out_), host, nullptr)) << host.AllText();
    EXPECT_EQ(ReadFile(work_ / "src/readme.txt"), ReadFile(out_ + "/readme.txt"));

    Shell("rm -rf " + Quote(out_) + " && mkdir " + Quote(out_));
    Patch("raw[central + 16] ^= 1\nraw[local + 14] ^= 1");
    ExpectReadmeFails(2, "readme.txt   bad CRC");
}

TEST_F(AesFailures, WithoutThePlatformsCryptographyAesIsUnsupported) {
    PosixHost host;
    host.passwordAnswers = {kPassword};
    EXPECT_EQ(81, RunUnzipJob(ExtractOptions(archive_, out_), host, nullptr));
    EXPECT_NE(std::string::npos, host.AllText().find("readme.txt  unsupported encryption"));
    EXPECT_TRUE(host.passwordAsked.empty());
    EXPECT_EQ("", TreeDigest(out_));
}

}  // namespace
}  // namespace ziptest
