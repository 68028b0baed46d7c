// The portable writer, checked through the peers that must read what it
// writes: Info-ZIP unzip, 7-Zip and Python's zipfile.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MemberCompressor.h"
#include "PosixHost.h"
#include "TestSupport.h"
#include "Wildcard.h"
#include "ZipJob.h"

namespace ziptest {
namespace {

using zipcore::ZipJobOptions;

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_ / "source";
        archive_ = scratch_ / "out" / "test.zip";
        fs::create_directories(archive_.parent_path());
    }

    // Small and large, compressible and not, empty files and folders; the
    // large ones span several compression chunks.
    void MakeCorpus() {
        WriteFile(source_ / "readme.txt", TextContent(200000, 1));
        WriteFile(source_ / "noise.bin", RandomContent(100000, 2));
        WriteFile(source_ / "empty.txt", "");
        WriteFile(source_ / "sub" / "deeper" / "nested.txt", TextContent(5000, 3));
        WriteFile(source_ / "sub" / "large.txt", TextContent(3500000, 4));
        WriteFile(source_ / "sub" / "large-noise.bin", RandomContent(2500000, 5));
        fs::create_directories(source_ / "emptydir");
    }

    int Zip(const ZipJobOptions& options, const std::vector<zipcore::SourceFile>& sources,
            const std::vector<std::string>& specs = {}) {
        host_.prints.clear();
        return zipcore::RunZipJob(options, sources, specs, archive_.string(), host_);
    }

    int ZipCorpus(const ZipJobOptions& options) { return Zip(options, CollectSources(source_.string())); }

    void ExpectPeersAccept(const std::string& passwordArgs = "", const std::string& sevenZipPassword = "") {
        std::string output;
        EXPECT_EQ(0, RunCommand("unzip -t " + passwordArgs + " " + Quote(archive_), &output)) << output;
        EXPECT_EQ(0, RunCommand("7zz t " + sevenZipPassword + " " + Quote(archive_), &output)) << output;
    }

    void ExpectPeersExtract(const fs::path& expected, const std::string& passwordArgs = "",
                            const std::string& sevenZipPassword = "") {
        std::string output, difference;
        fs::path byUnzip = scratch_ / "by-unzip", bySevenZip = scratch_ / "by-7zz";
        fs::remove_all(byUnzip);
        fs::remove_all(bySevenZip);
        ASSERT_EQ(0, RunCommand("unzip -q " + passwordArgs + " " + Quote(archive_) + " -d " + Quote(byUnzip), &output))
            << output;
        EXPECT_TRUE(SameTree(expected, byUnzip, &difference)) << difference;
        ASSERT_EQ(
            0, RunCommand("7zz x -y " + sevenZipPassword + " -o" + Quote(bySevenZip) + " " + Quote(archive_), &output))
            << output;
        EXPECT_TRUE(SameTree(expected, bySevenZip, &difference)) << difference;
    }

    std::string Python(const std::string& script) {
        std::string output;
        RunCommand(
            "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); " + script + "\" " + Quote(archive_),
            &output);
        return output;
    }

    ScratchFolder scratch_;
    fs::path source_;
    fs::path archive_;
    PosixHost host_;
};

TEST_F(WriterTest, EveryLevelRoundTripsThroughAllPeers) {
    MakeCorpus();
    for (int level : {0, 2, 6, 9}) {
        SCOPED_TRACE("level " + std::to_string(level));
        fs::remove(archive_);
        ZipJobOptions options;
        options.level = level;
        ASSERT_EQ(0, ZipCorpus(options)) << host_.Transcript();
        ExpectPeersAccept();
        ExpectPeersExtract(source_);
        EXPECT_EQ("None\n", Python("print(z.testzip())"));
    }
}

TEST_F(WriterTest, MembersThatDoNotShrinkAreStored) {
    MakeCorpus();
    ASSERT_EQ(0, ZipCorpus(ZipJobOptions{}));
    // 0 stored, 8 deflated: the noise files are stored, whatever their size.
    EXPECT_EQ("0 0 8 8\n",
              Python("d={i.filename:i.compress_type for i in z.infolist()}; "
                     "print(d['noise.bin'], d['sub/large-noise.bin'], d['readme.txt'], d['sub/large.txt'])"));
}

TEST_F(WriterTest, TimesAndAttributesAreKept) {
    WriteFile(source_ / "dated.txt", "old file");
    SetModificationTime(source_ / "dated.txt", 1234567890);  // 2009-02-13 23:31:30 UTC
    ASSERT_EQ(0, ZipCorpus(ZipJobOptions{}));
    // The "UT" extra field holds the exact time, in local and central headers.
    EXPECT_EQ("True 32\n", Python("import struct; i=z.getinfo('dated.txt'); "
                                  "print(b'UT\\x05\\x00\\x01' + struct.pack('<I', 1234567890) in i.extra, "
                                  "i.external_attr)"));
    ExpectPeersExtract(source_);
    struct stat extracted {};
    ASSERT_EQ(0, stat((scratch_ / "by-unzip" / "dated.txt").c_str(), &extracted));
    EXPECT_EQ(1234567890, extracted.st_mtime);
}

TEST_F(WriterTest, ThreadCountDoesNotChangeTheArchive) {
    MakeCorpus();
    ZipJobOptions options;
    options.threads = 1;
    ASSERT_EQ(0, ZipCorpus(options));
    std::string single = ReadFile(archive_);
    fs::remove(archive_);
    options.threads = 4;
    ASSERT_EQ(0, ZipCorpus(options));
    EXPECT_TRUE(single == ReadFile(archive_));
}

TEST_F(WriterTest, EncryptedMembersNeedThePassword) {
    MakeCorpus();
    host_.password = "s3cret";
    for (int level : {0, 6}) {
        SCOPED_TRACE("level " + std::to_string(level));
        fs::remove(archive_);
        host_.passwordRequests = 0;
        ZipJobOptions options;
        options.encrypt = true;
        options.level = level;
        ASSERT_EQ(0, ZipCorpus(options));
        EXPECT_EQ(1, host_.passwordRequests);
        ExpectPeersAccept("-P s3cret", "-ps3cret");
        ExpectPeersExtract(source_, "-P s3cret", "-ps3cret");
        std::string output;
        EXPECT_NE(0, RunCommand("unzip -t -P wrong " + Quote(archive_), &output));
        EXPECT_EQ("True\n", Python("print(all(i.flag_bits & 1 for i in z.infolist() if not i.is_dir()))"));
    }
}

TEST_F(WriterTest, NoPasswordAnswerMeansNoEncryption) {
    WriteFile(source_ / "a.txt", "plain");
    ZipJobOptions options;
    options.encrypt = true;
    ASSERT_EQ(0, ZipCorpus(options));
    EXPECT_EQ(1, host_.passwordRequests);
    EXPECT_EQ("0\n", Python("print(z.infolist()[0].flag_bits & 1)"));
}

TEST_F(WriterTest, CommentIsSetReplacedKeptAndCleared) {
    WriteFile(source_ / "a.txt", TextContent(1000, 7));
    ZipJobOptions options;
    options.comment = true;
    host_.hasComment = true;
    host_.comment = "first comment";
    ASSERT_EQ(0, ZipCorpus(options));
    EXPECT_EQ("b'first comment'\n", Python("print(z.comment)"));

    host_.comment = "second\r\ncomment";
    ASSERT_EQ(0, Zip(options, {}));  // comment alone, no files
    EXPECT_EQ("b'second\\r\\ncomment'\n", Python("print(z.comment)"));

    host_.hasComment = false;  // the callback keeps what it was given
    ASSERT_EQ(0, Zip(options, {}));
    EXPECT_EQ("b'second\\r\\ncomment'\n", Python("print(z.comment)"));

    host_.hasComment = true;
    host_.comment.clear();
    ASSERT_EQ(0, Zip(options, {}));
    EXPECT_EQ("b''\n", Python("print(z.comment)"));
    ExpectPeersAccept();
}

TEST_F(WriterTest, MessagesComeOneCallPerPiece) {
    WriteFile(source_ / "a.txt", TextContent(10000, 8));
    WriteFile(source_ / "b.bin", RandomContent(1000, 9));
    ASSERT_EQ(0, ZipCorpus(ZipJobOptions{}));
    ASSERT_EQ(6u, host_.prints.size()) << host_.Transcript();
    EXPECT_EQ("  adding: a.txt", host_.prints[0]);
    EXPECT_EQ(0u, host_.prints[1].rfind(" (deflated ", 0));
    EXPECT_EQ("%)", host_.prints[1].substr(host_.prints[1].size() - 2));
    EXPECT_EQ("\n", host_.prints[2]);
    EXPECT_EQ("  adding: b.bin", host_.prints[3]);
    EXPECT_EQ(" (stored 0%)", host_.prints[4]);
}

TEST_F(WriterTest, QuietJobsReportOnlyProblems) {
    WriteFile(source_ / "a.txt", "alpha");
    WriteFile(source_ / "gone.txt", "gone");
    auto sources = CollectSources(source_.string());
    fs::remove(source_ / "gone.txt");
    ZipJobOptions options;
    options.quiet = true;
    EXPECT_EQ(18, Zip(options, sources));
    EXPECT_EQ("zip warning: could not open for reading: gone.txt\n", host_.Transcript());
}

TEST_F(WriterTest, JunkedPathsStoreNamesOnlyAndRefuseDuplicates) {
    WriteFile(source_ / "one" / "x.txt", "one");
    WriteFile(source_ / "two" / "y.txt", "two");
    ASSERT_EQ(0, Zip(ZipJobOptions{}, CollectSources(source_.string(), true, true)));
    EXPECT_EQ("['x.txt', 'y.txt']\n", Python("print(sorted(z.namelist()))"));

    std::string before = ReadFile(archive_);
    WriteFile(source_ / "two" / "x.txt", "clash");
    EXPECT_EQ(16, Zip(ZipJobOptions{}, CollectSources(source_.string(), true, true)));
    EXPECT_NE(std::string::npos, host_.Transcript().find("second full name: " + (source_ / "two" / "x.txt").string()));
    EXPECT_TRUE(before == ReadFile(archive_));
    EXPECT_EQ(1u, CountEntries(archive_.parent_path()));
}

TEST_F(WriterTest, NonAsciiNamesAreUtf8WithTheLanguageFlag) {
    WriteFile(source_ / "\xc3\xa9t\xc3\xa9.txt", "summer");
    WriteFile(source_ / "plain.txt", "ascii");
    ASSERT_EQ(0, ZipCorpus(ZipJobOptions{}));
    EXPECT_EQ("[('plain.txt', 0), ('\xc3\xa9t\xc3\xa9.txt', 2048)]\n",
              Python("print(sorted((i.filename, i.flag_bits & 0x800) for i in z.infolist()))"));
    std::string listing;
    EXPECT_EQ(0, RunCommand("7zz l " + Quote(archive_), &listing));
    EXPECT_NE(std::string::npos, listing.find("\xc3\xa9t\xc3\xa9.txt")) << listing;
    ExpectPeersExtract(source_);
}

TEST_F(WriterTest, LineEndsAreConvertedInTextOnly) {
    WriteFile(source_ / "unix.txt", "one\ntwo\nthree\n");
    WriteFile(source_ / "binary.bin", std::string("a\nb\0c\n", 6));
    ZipJobOptions options;
    options.conversion = zipcore::TextConversion::LfToCrLf;
    ASSERT_EQ(0, ZipCorpus(options));
    EXPECT_EQ("b'one\\r\\ntwo\\r\\nthree\\r\\n' b'a\\nb\\x00c\\n'\n",
              Python("print(z.read('unix.txt'), z.read('binary.bin'))"));

    fs::remove(archive_);
    WriteFile(source_ / "unix.txt", "dos\r\nlines\r\nlone\rcr\r\n");
    options.conversion = zipcore::TextConversion::CrLfToLf;
    ASSERT_EQ(0, ZipCorpus(options));
    EXPECT_EQ("b'dos\\nlines\\nlone\\rcr\\n'\n", Python("print(z.read('unix.txt'))"));
}

TEST_F(WriterTest, UnreadableFilesAreSkippedWithCode18) {
    WriteFile(source_ / "good.txt", "good");
    WriteFile(source_ / "gone.txt", "gone");
    auto sources = CollectSources(source_.string());
    fs::remove(source_ / "gone.txt");
    EXPECT_EQ(18, Zip(ZipJobOptions{}, sources));
    EXPECT_NE(std::string::npos, host_.Transcript().find("could not open for reading: gone.txt"));
    EXPECT_EQ("['good.txt']\n", Python("print(z.namelist())"));
}

TEST_F(WriterTest, NothingToDoLeavesNoArchive) {
    EXPECT_EQ(12, Zip(ZipJobOptions{}, {}));
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_EQ(0u, CountEntries(archive_.parent_path()));
}

TEST(Wildcard, MatchesLikeZipMasks) {
    using zipcore::WildcardMatch;
    EXPECT_TRUE(WildcardMatch("*.txt", "a.txt", false));
    EXPECT_TRUE(WildcardMatch("*.txt", "dir/a.txt", false));  // '*' crosses folders, as in Zip
    EXPECT_FALSE(WildcardMatch("*.txt", "a.txt.bak", false));
    EXPECT_TRUE(WildcardMatch("?.t*", "a.txt", false));
    EXPECT_FALSE(WildcardMatch("?.txt", "ab.txt", false));
    EXPECT_TRUE(WildcardMatch("A*.TXT", "abc.txt", true));
    EXPECT_FALSE(WildcardMatch("A*.TXT", "abc.txt", false));
    EXPECT_TRUE(WildcardMatch("*", "", false));
    EXPECT_TRUE(WildcardMatch("a**b*c", "axxbyyc", false));
    EXPECT_FALSE(WildcardMatch("a*b*c", "axxbyy", false));
    EXPECT_TRUE(zipcore::DosMaskMatch("*.*", "README"));
    EXPECT_TRUE(zipcore::DosMaskMatch("*.*", "dir/sub/README"));
    EXPECT_TRUE(zipcore::DosMaskMatch("Read*.*", "readme"));
    EXPECT_FALSE(zipcore::DosMaskMatch("*.txt", "readme"));
}

TEST(CompressionPercent, RoundsTheShareSaved) {
    EXPECT_EQ(0, zipcore::CompressionPercent(0, 0));
    EXPECT_EQ(62, zipcore::CompressionPercent(1000, 380));
    EXPECT_EQ(0, zipcore::CompressionPercent(1000, 1000));
    EXPECT_EQ(100, zipcore::CompressionPercent(1000000, 1));
}

TEST(LineEndConverter, PairsCarriageReturnsAcrossChunks) {
    zipcore::LineEndConverter toLf(zipcore::TextConversion::CrLfToLf);
    std::vector<uint8_t> first{'a', '\r'}, second{'\n', 'b', '\r'};
    toLf.Convert(first, false);
    toLf.Convert(second, true);
    EXPECT_EQ(std::string("a"), std::string(first.begin(), first.end()));
    EXPECT_EQ(std::string("\nb\r"), std::string(second.begin(), second.end()));

    zipcore::LineEndConverter toCrLf(zipcore::TextConversion::LfToCrLf);
    std::vector<uint8_t> third{'x', '\r'}, fourth{'\n', '\n'};
    toCrLf.Convert(third, false);
    toCrLf.Convert(fourth, true);
    EXPECT_EQ(std::string("x\r"), std::string(third.begin(), third.end()));
    EXPECT_EQ(std::string("\n\r\n"), std::string(fourth.begin(), fourth.end()));
}

}  // namespace
}  // namespace ziptest
