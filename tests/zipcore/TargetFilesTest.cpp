// How an extraction writes its files: a free name in place, an existing
// file through a temporary file; folders asked for once; no lookup of a
// name in a folder the job made. Whatever the route, a member that fails
// leaves no partial file, and an existing file is never damaged.
#include "TestSupport.h"

#include <algorithm>

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

// Flips bytes inside the named member's data, so that it fails its check.
const char* kBreak = R"(
import sys, zipfile
def break_member(path, name, at=40):
    info = zipfile.ZipFile(path).getinfo(name)
    data = bytearray(open(path, 'rb').read())
    start = info.header_offset + 30 + len(info.filename.encode()) + len(info.extra)
    for i in range(at, at + 16): data[start + i] ^= 0x5A
    open(path, 'wb').write(data)
)";

// Files and folders below `folder` (names only, sorted), temporary files included.
std::string Entries(const std::string& folder) {
    std::string listing = folder + "/../entries.txt";
    Shell("cd " + Quote(folder) + " && find . -mindepth 1 | sort > " + Quote(listing));
    return ReadFile(listing);
}

TEST(TargetFiles, NewFoldersAreFilledInPlaceWithoutLookingUpTheNames) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import zipfile
with zipfile.ZipFile('t.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    for i in range(20): z.writestr(f'd/e/f{i}.txt', f'file {i}\n' * (i + 1))
    z.writestr('d/top.txt', 'top\n')
    z.writestr('root.txt', 'root\n')
)"));
    std::string out = work / "new";
    PosixHost host;
    EXPECT_EQ(0, RunUnzipJob(ExtractOptions(work / "t.zip", out), host, nullptr));
    EXPECT_EQ(22, host.inPlaceFiles);
    EXPECT_EQ(0, host.temporaryFiles);
    EXPECT_EQ("file 7\nfile 7\nfile 7\nfile 7\nfile 7\nfile 7\nfile 7\nfile 7\n", ReadFile(out + "/d/e/f7.txt"));
    // Only the first file of the folder tree is looked up: its folders did not exist yet.
    for (const std::string& path : host.statted)
        EXPECT_TRUE(path.find("/f1") == std::string::npos && path.find("top.txt") == std::string::npos &&
                    path.find("root.txt") == std::string::npos)
            << path;
    std::string theirs = work / "theirs";
    Shell("mkdir " + Quote(theirs) + " && cd " + Quote(theirs) + " && unzip -qq ../t.zip");
    EXPECT_EQ(TreeDigest(theirs), TreeDigest(out));
}

TEST(TargetFiles, FailedMembersWrittenInPlaceLeaveNothing) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kBreak) + R"(
import random
random.seed(7)
text = ''.join(random.choice('abc \n') for _ in range(100000))
with zipfile.ZipFile('t.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('d/good.txt', 'good\n')
    z.writestr('d/bad.txt', text)
    z.writestr('bad-at-root.txt', text)
    z.writestr('stored.txt', 'S' * 5000, compress_type=zipfile.ZIP_STORED)
for name in ('d/bad.txt', 'bad-at-root.txt', 'stored.txt'): break_member('t.zip', name)
)"));
    for (bool folderExists : {false, true}) {
        std::string out = work / (folderExists ? "existing" : "new");
        if (folderExists) Shell("mkdir " + Quote(out));
        PosixHost host;
        EXPECT_EQ(2, RunUnzipJob(ExtractOptions(work / "t.zip", out), host, nullptr));
        EXPECT_EQ(4, host.inPlaceFiles);
        EXPECT_EQ("./d\n./d/good.txt\n", Entries(out)) << out;
    }
}

TEST(TargetFiles, AnExistingFileSurvivesAFailedReplacement) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, std::string(kBreak) + R"(
import random
random.seed(8)
text = ''.join(random.choice('xyz \n') for _ in range(100000))
with zipfile.ZipFile('t.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('d/keep.txt', text)
    z.writestr('d/replaced.txt', 'new\n')
break_member('t.zip', 'd/keep.txt')
)"));
    std::string out = work / "out";
    Shell("mkdir -p " + Quote(out + "/d"));
    WriteFile(out + "/d/keep.txt", "precious\n");
    WriteFile(out + "/d/replaced.txt", "old\n");
    PosixHost host;
    zipcore::UnzipOptions o = ExtractOptions(work / "t.zip", out);
    o.overwrite = true;
    EXPECT_EQ(2, RunUnzipJob(o, host, nullptr));
    EXPECT_EQ(2, host.temporaryFiles);
    EXPECT_EQ(0, host.inPlaceFiles);
    EXPECT_EQ("precious\n", ReadFile(out + "/d/keep.txt"));
    EXPECT_EQ("new\n", ReadFile(out + "/d/replaced.txt"));
    EXPECT_EQ("./d\n./d/keep.txt\n./d/replaced.txt\n", Entries(out));  // no temporary file left
}

// Two members of one name in a folder the job made: the second finds the
// first's file, and the overwrite rules decide, as for any existing file.
TEST(TargetFiles, ASecondMemberOfTheSameNameMeetsTheOverwriteRules) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, R"(
import warnings, zipfile
warnings.simplefilter('ignore')
with zipfile.ZipFile('t.zip', 'w') as z:
    z.writestr('d/same.txt', 'first\n')
    z.writestr('d/same.txt', 'second\n')
    z.writestr('d/other.txt', 'other\n')
)"));
    for (int answer : {100, 102}) {
        std::string out = work / ("out" + std::to_string(answer));
        PosixHost host;
        host.replaceAnswers = {answer};
        zipcore::UnzipOptions o = ExtractOptions(work / "t.zip", out);
        o.promptToOverwrite = true;
        EXPECT_EQ(0, RunUnzipJob(o, host, nullptr));
        ASSERT_EQ(1u, host.replaceAsked.size());
        EXPECT_EQ(out + "/d/same.txt", host.replaceAsked[0]);
        EXPECT_EQ(answer == 102 ? "second\n" : "first\n", ReadFile(out + "/d/same.txt"));
        EXPECT_EQ("other\n", ReadFile(out + "/d/other.txt"));
        EXPECT_EQ(answer == 102 ? 1 : 0, host.temporaryFiles);
    }
}

}  // namespace
}  // namespace ziptest
