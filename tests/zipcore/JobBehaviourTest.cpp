// Behaviour of an unzip job beyond plain extraction: overwrite answers,
// freshen and update, name selection, stop requests, text conversion,
// restored times and attributes.
#include "TestSupport.h"

#include <utime.h>

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

// An archive of a.txt, b.txt and "with space.txt" dated 2020, and an
// output folder holding an older a.txt and a newer b.txt.
class ExistingFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Shell("mkdir " + Quote(work / "src") + " " + Quote(out));
        WriteFile(work / "src/a.txt", "archived a\n");
        WriteFile(work / "src/b.txt", "archived b\n");
        WriteFile(work / "src/with space.txt", "archived c\n");
        Shell("touch -d '2020-06-15 12:00:00' " + Quote(work / "src") + "/*");
        ASSERT_EQ(0, Shell("cd " + Quote(work / "src") + " && zip -q ../set.zip a.txt b.txt 'with space.txt'"));
        WriteFile(out + "/a.txt", "old a\n");
        WriteFile(out + "/b.txt", "new b\n");
        Shell("touch -d '2019-01-01 00:00:00' " + Quote(out + "/a.txt"));
        Shell("touch -d '2021-01-01 00:00:00' " + Quote(out + "/b.txt"));
    }

    zipcore::UnzipOptions Options() { return ExtractOptions(work / "set.zip", out); }

    TempDir work;
    std::string out = work / "out";
};

TEST_F(ExistingFiles, WithoutOverwriteOptionsExistingFilesStay) {
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(Options(), host, nullptr));
    EXPECT_EQ("old a\n", ReadFile(out + "/a.txt"));
    EXPECT_EQ("new b\n", ReadFile(out + "/b.txt"));
    EXPECT_EQ("archived c\n", ReadFile(out + "/with space.txt"));
    EXPECT_TRUE(host.replaceAsked.empty());
}

TEST_F(ExistingFiles, OverwriteWithoutAsking) {
    PosixHost host;
    zipcore::UnzipOptions o = Options();
    o.overwrite = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ("archived a\n", ReadFile(out + "/a.txt"));
    EXPECT_EQ("archived b\n", ReadFile(out + "/b.txt"));
}

TEST_F(ExistingFiles, PromptAnswersNoThenYes) {
    PosixHost host;
    host.replaceAnswers = {100, 102};
    zipcore::UnzipOptions o = Options();
    o.promptToOverwrite = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    ASSERT_EQ(2u, host.replaceAsked.size());
    EXPECT_EQ(out + "/a.txt", host.replaceAsked[0]);
    EXPECT_EQ("old a\n", ReadFile(out + "/a.txt"));
    EXPECT_EQ("archived b\n", ReadFile(out + "/b.txt"));
}

TEST_F(ExistingFiles, PromptAnswerAllAndNoneAreAskedOnce) {
    PosixHost all;
    all.replaceAnswers = {103};
    zipcore::UnzipOptions o = Options();
    o.promptToOverwrite = true;
    EXPECT_EQ(0, RunUnzipJob(o, all, nullptr));
    EXPECT_EQ(1u, all.replaceAsked.size());
    EXPECT_EQ("archived b\n", ReadFile(out + "/b.txt"));

    WriteFile(out + "/a.txt", "mine\n");
    WriteFile(out + "/b.txt", "mine\n");
    PosixHost none;
    none.replaceAnswers = {104};
    EXPECT_EQ(0, RunUnzipJob(o, none, nullptr));
    EXPECT_EQ(1u, none.replaceAsked.size());
    EXPECT_EQ("mine\n", ReadFile(out + "/a.txt"));
    EXPECT_EQ("mine\n", ReadFile(out + "/b.txt"));
}

TEST_F(ExistingFiles, FreshenReplacesOnlyOlderExistingFiles) {
    PosixHost host;
    zipcore::UnzipOptions o = Options();
    o.freshen = o.extractOnlyNewer = true;
    o.overwrite = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ("archived a\n", ReadFile(out + "/a.txt"));
    EXPECT_EQ("new b\n", ReadFile(out + "/b.txt"));
    EXPECT_FALSE(Exists(out + "/with space.txt"));
}

TEST_F(ExistingFiles, UpdateAlsoCreatesMissingFiles) {
    PosixHost host;
    zipcore::UnzipOptions o = Options();
    o.extractOnlyNewer = true;
    o.overwrite = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ("archived a\n", ReadFile(out + "/a.txt"));
    EXPECT_EQ("new b\n", ReadFile(out + "/b.txt"));
    EXPECT_EQ("archived c\n", ReadFile(out + "/with space.txt"));
}

TEST_F(ExistingFiles, SpacesBecomeUnderscores) {
    PosixHost host;
    zipcore::UnzipOptions o = Options();
    o.spaceToUnderscore = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ("archived c\n", ReadFile(out + "/with_space.txt"));
    EXPECT_FALSE(Exists(out + "/with space.txt"));
}

TEST_F(ExistingFiles, ModificationTimeIsRestored) {
    Shell("rm " + Quote(out) + "/*");
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(Options(), host, nullptr));
    struct stat extracted {
    }, original{};
    ASSERT_EQ(0, stat((out + "/a.txt").c_str(), &extracted));
    ASSERT_EQ(0, stat((work / "src/a.txt").c_str(), &original));
    EXPECT_EQ(original.st_mtime, extracted.st_mtime);
}

TEST_F(ExistingFiles, IncludeExcludeAndCase) {
    Shell("rm " + Quote(out) + "/*");
    PosixHost host;
    zipcore::UnzipOptions o = Options();
    o.include = {"*.TXT"};
    o.exclude = {"b*"};
    EXPECT_EQ(11, RunUnzipJob(o, host, nullptr));  // case matters by default
    EXPECT_NE(std::string::npos, host.AllText().find("caution: filename not matched:  *.TXT"));
    EXPECT_EQ("", TreeDigest(out));

    PosixHost folded;
    o.ignoreCase = true;
    EXPECT_EQ(0, RunUnzipJob(o, folded, nullptr));
    EXPECT_TRUE(Exists(out + "/a.txt"));
    EXPECT_FALSE(Exists(out + "/b.txt"));
    EXPECT_TRUE(Exists(out + "/with space.txt"));
}

TEST_F(ExistingFiles, StopRequestEndsWithCode80) {
    Shell("rm " + Quote(out) + "/*");
    PosixHost host;
    host.stopBeforeMember = 1;
    EXPECT_EQ(80, RunUnzipJob(Options(), host, nullptr));
    EXPECT_TRUE(Exists(out + "/a.txt"));
    EXPECT_FALSE(Exists(out + "/b.txt"));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), host.stopAsked);
}

TEST_F(ExistingFiles, TestingWritesNothing) {
    Shell("rm " + Quote(out) + "/*");
    PosixHost host;
    zipcore::UnzipOptions o = Options();
    o.test = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ("", TreeDigest(out));
    EXPECT_EQ("    testing: a.txt   OK\n", host.printed[0]);
}

TEST(JobBehaviour, FreshenCreatesNoFolders) {
    TempDir work;
    Shell("mkdir -p " + Quote(work / "d/e") + " " + Quote(work / "out"));
    WriteFile(work / "d/e/f.txt", "f\n");
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q -r f.zip d"));
    PosixHost host;
    zipcore::UnzipOptions o = ExtractOptions(work / "f.zip", work / "out");
    o.freshen = o.extractOnlyNewer = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_FALSE(Exists(work / "out/d/e"));
}

TEST(JobBehaviour, MissingExtractionFolderIsCreated) {
    TempDir work;
    WriteFile(work / "f.txt", "f\n");
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q f.zip f.txt"));
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(ExtractOptions(work / "f.zip", work / "new/deeper"), host, nullptr));
    EXPECT_EQ("f\n", ReadFile(work / "new/deeper/f.txt"));
}

TEST_F(ExistingFiles, MessageLevels) {
    Shell("rm " + Quote(out) + "/*");
    zipcore::UnzipOptions o = Options();
    o.include = {"a.txt", "nothing"};
    PosixHost all;
    EXPECT_EQ(0, RunUnzipJob(o, all, nullptr));
    EXPECT_NE(std::string::npos, all.AllText().find("extracting: " + out + "/a.txt"));
    EXPECT_NE(std::string::npos, all.AllText().find("caution: filename not matched:  nothing"));

    o.overwrite = true;
    o.quiet = 1;
    PosixHost partial;
    EXPECT_EQ(0, RunUnzipJob(o, partial, nullptr));
    EXPECT_EQ("caution: filename not matched:  nothing\n", partial.AllText());

    o.quiet = 2;
    PosixHost none;
    EXPECT_EQ(0, RunUnzipJob(o, none, nullptr));
    EXPECT_EQ("", none.AllText());
    EXPECT_EQ("archived a\n", ReadFile(out + "/a.txt"));
}

TEST(JobBehaviour, TextConversionTurnsLineEndsIntoCrLf) {
    TempDir work;
    WriteFile(work / "t.txt", "one\ntwo\r\nthree\n");
    WriteFile(work / "b.bin", std::string("\x00\x01\n\x02", 4));
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q t.zip t.txt b.bin"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    zipcore::UnzipOptions o = ExtractOptions(work / "t.zip", out);
    o.textConvert = true;
    EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ("one\r\ntwo\r\nthree\r\n", ReadFile(out + "/t.txt"));
    EXPECT_EQ(std::string("\x00\x01\n\x02", 4), ReadFile(out + "/b.bin"));
}

TEST(JobBehaviour, ReadOnlyAttributeIsRestored) {
    TempDir work;
    WriteFile(work / "ro.txt", "read only\n");
    Shell("chmod 444 " + Quote(work / "ro.txt"));
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q ro.zip ro.txt"));
    std::string out = work / "out";
    Shell("mkdir " + Quote(out));
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(ExtractOptions(work / "ro.zip", out), host, nullptr));
    struct stat st {};
    ASSERT_EQ(0, stat((out + "/ro.txt").c_str(), &st));
    EXPECT_EQ(0u, st.st_mode & 0222);
}

TEST(JobBehaviour, ListingReportsMethodsRatiosAndEncryption) {
    TempDir work;
    WriteFile(work / "big.txt", std::string(10000, 'x'));
    WriteFile(work / "tiny.txt", "x");
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) +
                       " && zip -q -9 l.zip big.txt && zip -q -0 l.zip tiny.txt"
                       " && zip -q -1 -P pw l.zip big.txt -O l2.zip"));
    PosixHost host;
    zipcore::ListingTotals totals;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(work / "l.zip"), host, &totals));
    ASSERT_EQ(2u, host.entries.size());
    EXPECT_EQ("Defl:X", host.entries[0].method);
    EXPECT_EQ(zipcore::CompressionRatio(10000, host.entries[0].compressedSize), host.entries[0].ratio);
    EXPECT_GT(host.entries[0].ratio, 95);
    EXPECT_EQ("Stored", host.entries[1].method);
    EXPECT_EQ(0, host.entries[1].ratio);
    EXPECT_EQ(10001u, totals.uncompressed);
    EXPECT_EQ(2u, totals.members);

    PosixHost encrypted;
    ASSERT_EQ(0, RunUnzipJob(ListOptions(work / "l2.zip"), encrypted, nullptr));
    ASSERT_FALSE(encrypted.entries.empty());
    EXPECT_EQ("Defl:F", encrypted.entries[0].method);
    EXPECT_TRUE(encrypted.entries[0].encrypted);
    EXPECT_EQ(-100, zipcore::CompressionRatio(10, 20));
}

TEST(JobBehaviour, ListingTwiceGivesTheSameEntries) {
    TempDir work;
    WriteFile(work / "f.txt", "f\n");
    ASSERT_EQ(0, Shell("cd " + Quote(work.path()) + " && zip -q f.zip f.txt"));
    PosixHost host;
    RunUnzipJob(ListOptions(work / "f.zip"), host, nullptr);
    RunUnzipJob(ListOptions(work / "f.zip"), host, nullptr);
    ASSERT_EQ(2u, host.entries.size());
    EXPECT_EQ(host.entries[0].path, host.entries[1].path);
}

}  // namespace
}  // namespace ziptest
