// The format pieces shared by reader and writer: DOS times, the PKWARE
// cipher (checked against Python and Info-ZIP's unzip), name patterns and
// path safety rules.
#include "DosTime.h"
#include "PathSafety.h"
#include "TestSupport.h"
#include "MemberPattern.h"
#include "ZipCrypto.h"
#include "ZipFormat.h"

#include <zlib.h>

namespace ziptest {
namespace {

using namespace zipcore;

TEST(DosTime, RoundTripsAndClamps) {
    DateTime dt{2024, 2, 29, 23, 59, 58};
    uint16_t date = 0, time = 0;
    ASSERT_TRUE(DateTimeToDos(dt, date, time));
    EXPECT_EQ(dt, DosToDateTime(date, time));

    dt.second = 59;  // DOS keeps even seconds
    ASSERT_TRUE(DateTimeToDos(dt, date, time));
    EXPECT_EQ(58, DosToDateTime(date, time).second);

    EXPECT_FALSE(DateTimeToDos(DateTime{1975, 6, 1, 0, 0, 0}, date, time));
    EXPECT_EQ((DateTime{1980, 1, 1, 0, 0, 0}), DosToDateTime(date, time));
    EXPECT_FALSE(DateTimeToDos(DateTime{2200, 6, 1, 0, 0, 0}, date, time));
    EXPECT_EQ(2107, DosToDateTime(date, time).year);

    // A damaged header (month 0, day 0, hour 31) still gives a valid date.
    DateTime damaged = DosToDateTime(0, static_cast<uint16_t>(31 << 11));
    EXPECT_EQ(1, damaged.month);
    EXPECT_EQ(1, damaged.day);
    EXPECT_EQ(23, damaged.hour);
}

TEST(DosTime, UnixAndFileTimes) {
    EXPECT_EQ((DateTime{1970, 1, 1, 0, 0, 0}), UnixTimeToDateTime(0));
    EXPECT_EQ((DateTime{2000, 2, 29, 12, 34, 56}), UnixTimeToDateTime(951827696));
    EXPECT_EQ((DateTime{1969, 12, 31, 23, 59, 59}), UnixTimeToDateTime(-1));
    EXPECT_EQ(951827696, DateTimeToUnixTime(DateTime{2000, 2, 29, 12, 34, 56}));
    EXPECT_EQ(116444736000000000ULL, UnixTimeToFileTime(0));
    EXPECT_EQ(1700000000, FileTimeToUnixTime(UnixTimeToFileTime(1700000000)));
}

TEST(ZipCrypto, DecryptUndoesEncrypt) {
    std::string plain = "The quick brown fox jumps over the lazy dog";
    std::vector<uint8_t> data(plain.begin(), plain.end());
    ZipCrypto(std::string("key")).Encrypt(data.data(), data.size());
    EXPECT_NE(plain, std::string(data.begin(), data.end()));
    ZipCrypto(std::string("key")).Decrypt(data.data(), data.size());
    EXPECT_EQ(plain, std::string(data.begin(), data.end()));
}

uint32_t CountingRandom(void* context) { return (*static_cast<uint32_t*>(context))++ * 2654435761u; }

// An encrypted stored member assembled from the format records: Python's
// zipfile and Info-ZIP's unzip must both read it with the password.
TEST(ZipCrypto, ArchiveEncryptedHereIsReadByPeers) {
    TempDir work;
    std::string content = "encrypted by the Zip core\n";
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
    LocalHeader local;
    local.flags = kFlagEncrypted;
    local.method = kMethodStored;
    local.modDate = static_cast<uint16_t>((44 << 9) | (5 << 5) | 17);
    local.modTime = static_cast<uint16_t>(12 << 11);
    local.crc32 = crc;
    local.compressedSize = static_cast<uint32_t>(content.size() + kEncryptionHeaderSize);
    local.uncompressedSize = static_cast<uint32_t>(content.size());

    uint8_t header[kEncryptionHeaderSize];
    uint32_t seed = 1;
    MakeEncryptionHeader(header, EncryptionCheckByte(local.flags, crc, local.modTime), CountingRandom, &seed);
    std::vector<uint8_t> payload(header, header + sizeof header);
    payload.insert(payload.end(), content.begin(), content.end());
    ZipCrypto crypto("mot de passe");
    crypto.Encrypt(payload.data(), payload.size());

    std::vector<uint8_t> archive;
    AppendLocalHeader(archive, local, "secret.txt", {});
    AppendBytes(archive, payload.data(), payload.size());
    CentralHeader central;
    central.flags = local.flags;
    central.method = local.method;
    central.modDate = local.modDate;
    central.modTime = local.modTime;
    central.crc32 = crc;
    central.compressedSize = local.compressedSize;
    central.uncompressedSize = local.uncompressedSize;
    uint32_t centralStart = static_cast<uint32_t>(archive.size());
    AppendCentralHeader(archive, central, "secret.txt", {}, "");
    EndOfCentralDir end;
    end.entriesOnDisk = end.totalEntries = 1;
    end.centralDirOffset = centralStart;
    end.centralDirSize = static_cast<uint32_t>(archive.size() - centralStart);
    AppendEndOfCentralDir(archive, end, "");
    WriteFile(work / "made.zip", std::string(archive.begin(), archive.end()));

    ASSERT_EQ(0, RunPython(work,
                           "import zipfile\n"
                           "z = zipfile.ZipFile('made.zip')\n"
                           "open('py.txt', 'wb').write(z.read('secret.txt', pwd=b'mot de passe'))\n"));
    EXPECT_EQ(content, ReadFile(work / "py.txt"));
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && unzip -qq -p -P 'mot de passe' made.zip > iz.txt"));
    EXPECT_EQ(content, ReadFile(work / "iz.txt"));
}

TEST(MemberPattern, InfoZipPatterns) {
    EXPECT_TRUE(MemberPatternMatch("*.txt", "a/b/c.txt", false));  // '*' crosses folders
    EXPECT_FALSE(MemberPatternMatch("*.txt", "c.txt.bak", false));
    EXPECT_TRUE(MemberPatternMatch("a?c", "abc", false));
    EXPECT_FALSE(MemberPatternMatch("a?c", "ac", false));
    EXPECT_TRUE(MemberPatternMatch("[a-c]x", "bx", false));
    EXPECT_FALSE(MemberPatternMatch("[!a-c]x", "bx", false));
    EXPECT_TRUE(MemberPatternMatch("[^a-c]x", "dx", false));
    EXPECT_TRUE(MemberPatternMatch("[x", "[x", false));  // no closing bracket: literal
    EXPECT_TRUE(MemberPatternMatch("dir/file.TXT", "dir/file.TXT", false));
    EXPECT_FALSE(MemberPatternMatch("dir/file.txt", "DIR/FILE.TXT", false));
    EXPECT_TRUE(MemberPatternMatch("dir/file.txt", "DIR/FILE.TXT", true));
    EXPECT_TRUE(MemberPatternMatch("*", "", false));
    EXPECT_TRUE(MemberPatternMatch("**a*b*", "xxaxxbxx", false));
    // No exponential blow-up on hostile patterns.
    EXPECT_FALSE(MemberPatternMatch(std::string(60, '*') + "b", std::string(5000, 'a'), false));
}

std::string Joined(const SafePath& p) {
    std::string s;
    for (const auto& c : p.components) s += (s.empty() ? "" : "/") + c;
    return s;
}

TEST(PathSafety, RefusesEscapesAndDevices) {
    EXPECT_EQ(PathVerdict::ParentReference, MakeSafeRelativePath("../x").verdict);
    EXPECT_EQ(PathVerdict::ParentReference, MakeSafeRelativePath("a/../../x").verdict);
    EXPECT_EQ(PathVerdict::ParentReference, MakeSafeRelativePath("a\\..\\x").verdict);
    EXPECT_EQ(PathVerdict::ParentReference, MakeSafeRelativePath("a/.. /x").verdict);
    EXPECT_EQ(PathVerdict::ParentReference, MakeSafeRelativePath("a/.../x").verdict);
    EXPECT_EQ(PathVerdict::Absolute, MakeSafeRelativePath("/etc/passwd").verdict);
    EXPECT_EQ(PathVerdict::Absolute, MakeSafeRelativePath("\\\\server\\share\\x").verdict);
    EXPECT_EQ(PathVerdict::DriveOrStream, MakeSafeRelativePath("C:/Windows/x").verdict);
    EXPECT_EQ(PathVerdict::DriveOrStream, MakeSafeRelativePath("c:x").verdict);
    EXPECT_EQ(PathVerdict::DriveOrStream, MakeSafeRelativePath("file.txt:stream").verdict);
    EXPECT_EQ(PathVerdict::DeviceName, MakeSafeRelativePath("CON").verdict);
    EXPECT_EQ(PathVerdict::DeviceName, MakeSafeRelativePath("dir/nul.txt").verdict);
    EXPECT_EQ(PathVerdict::DeviceName, MakeSafeRelativePath("com1").verdict);
    EXPECT_EQ(PathVerdict::DeviceName, MakeSafeRelativePath("LPT9.tar.gz").verdict);
    EXPECT_EQ(PathVerdict::Empty, MakeSafeRelativePath("./").verdict);
}

// Windows reserves COM0 and LPT0 too on recent versions, and the ports
// numbered with the superscript digits one to three, with any extension.
TEST(PathSafety, PortNamesWithZeroAndSuperscriptDigits) {
    for (const char* name : {"COM0.txt", "lpt0", "COM\xC2\xB9.txt", "LPT\xC2\xB2", "com\xC2\xB3.tar.gz",
                             "sub/COM\xC2\xB9 .txt", "LPT\xC2\xB9."})
        EXPECT_EQ(PathVerdict::DeviceName, MakeSafeRelativePath(name).verdict) << name;
    // Other superscripts and longer numbers are ordinary names.
    for (const char* name : {"COM\xE2\x81\xB4.txt", "COM10.txt", "LPT\xC2\xB9\xC2\xB2", "COMA", "COM"})
        EXPECT_EQ(PathVerdict::Ok, MakeSafeRelativePath(name).verdict) << name;
}

TEST(PathSafety, KeepsOrdinaryNamesAndCleansTheRest) {
    EXPECT_EQ("a/b/c.txt", Joined(MakeSafeRelativePath("a/b/c.txt")));
    EXPECT_EQ("a/b/c.txt", Joined(MakeSafeRelativePath("./a//b\\c.txt")));
    EXPECT_EQ("con2/console.txt", Joined(MakeSafeRelativePath("con2/console.txt")));
    EXPECT_EQ("what_/a_b", Joined(MakeSafeRelativePath("what?/a*b")));
    EXPECT_EQ("name", Joined(MakeSafeRelativePath("name. . ")));
    EXPECT_EQ("..hidden", Joined(MakeSafeRelativePath("..hidden")));
    EXPECT_EQ("café/été.txt", Joined(MakeSafeRelativePath("café/été.txt")));
}

}  // namespace
}  // namespace ziptest
