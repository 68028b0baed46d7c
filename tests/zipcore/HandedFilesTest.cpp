// Small files written by worker threads while the job reads on: the
// result is the one a single thread gives (files, contents, times, modes,
// messages and their order, questions, result code), a name met twice is asked about as
// before, a stop leaves exactly the members before it, and a worker's
// failure is told and leaves no partial file.
#include "TestSupport.h"

#include <sys/stat.h>

#include <algorithm>

namespace ziptest {
namespace {

using zipcore::RunUnzipJob;

// Many small members in a few folders, empty ones, a large one, a stored
// one, a read-only one, a folder entry, a name stored twice (different
// contents) and a member that fails its check.
const char* kMixedArchive = R"(
import random, zipfile
random.seed(3)
def info(name, mode=0o644):
    i = zipfile.ZipInfo(name, date_time=(2021, 3, 4, 5, 6, 8))
    i.external_attr = mode << 16
    i.create_system = 3
    i.compress_type = zipfile.ZIP_DEFLATED
    return i
with zipfile.ZipFile('t.zip', 'w') as z:
    for i in range(600):
        z.writestr(info(f'd{i % 7}/s{i % 3}/f{i:04d}.txt'), f'file {i}\n' * (i % 50))
    z.writestr(info('folder/'), '')
    z.writestr(info('big.bin'), bytes(random.getrandbits(8) for _ in range(1500000)))
    z.writestr(info('readonly.txt', 0o444), 'keep me\n')
    z.writestr(info('twice.txt'), 'first\n')
    for i in range(40): z.writestr(info(f'later/g{i}.txt'), f'g {i}\n')
    z.writestr(info('twice.txt'), 'second\n')
    z.writestr(info('broken.txt'), 'x' * 9000)
data = bytearray(open('t.zip', 'rb').read())
member = zipfile.ZipFile('t.zip').getinfo('broken.txt')
start = member.header_offset + 30 + len(member.filename.encode()) + len(member.extra)
for i in range(4, 12): data[start + i] ^= 0x5A
open('t.zip', 'wb').write(data)
)";

// Files with their contents, modification times and permission bits.
std::string TreeFacts(const std::string& folder) {
    std::string out = folder + "/../tree-facts.txt";
    Shell("cd " + Quote(folder) +
          " && find . -mindepth 1 -printf '%p %y %m %TY-%Tm-%Td %TH:%TM\\n' | sort > " + Quote(out) +
          " && find . -type f -print0 | sort -z | xargs -0 -r sha256sum >> " + Quote(out));
    return ReadFile(out);
}

// What the host was told, with the extraction folder's own name left out.
std::string Relative(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), "OUT");
    return text;
}

// `count` small members d/f000.txt, d/f001.txt..., each its number on `lines` lines.
void NumberedArchive(const TempDir& work, int count, int lines) {
    ASSERT_EQ(0, RunPython(work, "import zipfile\n"
                                 "with zipfile.ZipFile('t.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:\n"
                                 "    for i in range(" + std::to_string(count) + "): z.writestr(f'd/f{i:03d}.txt', f'{i}\\n' * " +
                                 std::to_string(lines) + ")\n"));
}

std::string Numbered(int number, int lines) {
    std::string text;
    for (int line = 0; line < lines; ++line) text += std::to_string(number) + "\n";
    return text;
}

TEST(HandedFiles, WorkersGiveWhatOneThreadGives) {
    TempDir work;
    ASSERT_EQ(0, RunPython(work, kMixedArchive));
    for (int answer : {100, 102}) {
        std::string facts[2], code[2];
        std::string said[2];
        std::vector<std::string> asked[2];
        for (unsigned workers : {0u, 4u}) {
            int run = workers ? 1 : 0;
            std::string out = work / ("out-" + std::to_string(answer) + "-" + std::to_string(workers));
            PosixHost host;
            host.fileWorkers = workers;
            host.replaceAnswers = {answer};
            zipcore::UnzipOptions options = ExtractOptions(work / "t.zip", out);
            options.promptToOverwrite = true;
            code[run] = std::to_string(RunUnzipJob(options, host, nullptr));
            facts[run] = TreeFacts(out);
            said[run] = Relative(host.AllText(), out);
            for (const std::string& path : host.replaceAsked) asked[run].push_back(Relative(path, out));
            EXPECT_EQ(answer == 102 ? "second\n" : "first\n", ReadFile(out + "/twice.txt")) << workers;
            EXPECT_FALSE(Exists(out + "/broken.txt")) << workers;
        }
        EXPECT_EQ("2", code[0]);
        EXPECT_EQ(code[0], code[1]);
        EXPECT_EQ(facts[0], facts[1]);
        // Said in the same order: the archive's.
        EXPECT_EQ(said[0], said[1]);
        // The second "twice.txt" is asked about once, whoever wrote the first.
        EXPECT_EQ(1u, asked[1].size());
        EXPECT_EQ(asked[0], asked[1]);
    }
    // And what unzip makes of the same archive.
    std::string theirs = work / "theirs";
    Shell("mkdir " + Quote(theirs) + " && cd " + Quote(theirs) + " && unzip -qq -o ../t.zip >/dev/null 2>&1");
    Shell("rm -f " + Quote(theirs + "/broken.txt"));
    EXPECT_EQ(TreeDigest(theirs), TreeDigest(work / "out-102-4"));
}

TEST(HandedFiles, AStopLeavesExactlyTheMembersBeforeIt) {
    TempDir work;
    NumberedArchive(work, 300, 20);
    std::string out = work / "out";
    PosixHost host;
    host.fileWorkers = 3;
    host.stopBeforeMember = 200;
    EXPECT_EQ(80, RunUnzipJob(ExtractOptions(work / "t.zip", out), host, nullptr));
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "./d/f%03d.txt\n", i);
        expected += name;
    }
    Shell("cd " + Quote(out) + " && find . -type f | sort > ../files.txt");
    EXPECT_EQ(expected, ReadFile(work / "files.txt"));
    EXPECT_EQ(Numbered(199, 20), ReadFile(out + "/d/f199.txt"));
}

// A host whose file system fails some files when a worker makes them: a
// name that another program takes just before, or a disk that fills up.
class UnreliableHost : public PosixHost {
public:
    std::string takenByOthers;  // created by "another program" first
    std::string fullDiskFrom;   // files of this name and names sorting after fail to write

    std::unique_ptr<zipcore::ExtractedFile> CreateInPlace(const std::string& path) override {
        if (!takenByOthers.empty() && path.size() >= takenByOthers.size() &&
            path.compare(path.size() - takenByOthers.size(), std::string::npos, takenByOthers) == 0 &&
            !Exists(path))
            WriteFile(path, "theirs\n");
        auto file = PosixHost::CreateInPlace(path);
        std::string name = path.substr(path.find_last_of('/') + 1);
        bool full = !fullDiskFrom.empty() && name.size() == fullDiskFrom.size() && name >= fullDiskFrom;
        if (file && full) return std::make_unique<FailingFile>(std::move(file));
        return file;
    }

private:
    struct FailingFile : zipcore::ExtractedFile {
        explicit FailingFile(std::unique_ptr<zipcore::ExtractedFile> inner) : inner(std::move(inner)) {}
        bool Write(const uint8_t* data, size_t size) override { return inner->Write(data, size / 2) && false; }
        bool Commit(const std::string& path, const zipcore::FileStamp& stamp) override {
            return inner->Commit(path, stamp);
        }
        std::unique_ptr<zipcore::ExtractedFile> inner;
    };
};

TEST(HandedFiles, ANameTakenMeanwhileFollowsTheOverwriteRules) {
    TempDir work;
    NumberedArchive(work, 50, 1);
    for (int answer : {100, 102}) {
        std::string out = work / ("out" + std::to_string(answer));
        UnreliableHost host;
        host.fileWorkers = 2;
        host.takenByOthers = "/f017.txt";
        host.replaceAnswers = {answer};
        zipcore::UnzipOptions options = ExtractOptions(work / "t.zip", out);
        options.promptToOverwrite = true;
        EXPECT_EQ(0, RunUnzipJob(options, host, nullptr));
        ASSERT_EQ(1u, host.replaceAsked.size());
        EXPECT_NE(std::string::npos, host.replaceAsked[0].find("f017.txt"));
        EXPECT_EQ(answer == 102 ? "17\n" : "theirs\n", ReadFile(out + "/d/f017.txt"));
        EXPECT_EQ("49\n", ReadFile(out + "/d/f049.txt"));
        EXPECT_EQ(0, Shell("test $(find " + Quote(out) + " -name '.unzip-*' | wc -l) = 0")) << "temporary file left";
    }
}

TEST(HandedFiles, AFullDiskIsToldOnceAndLeavesNoPartialFile) {
    TempDir work;
    NumberedArchive(work, 120, 100);
    std::string out = work / "out";
    UnreliableHost host;
    host.fileWorkers = 3;
    host.fullDiskFrom = "f060.txt";
    EXPECT_EQ(50, RunUnzipJob(ExtractOptions(work / "t.zip", out), host, nullptr));
    std::string all = host.AllText();
    const std::string told = "f060.txt   write error (disk full?)";
    size_t first = all.find(told);
    EXPECT_NE(std::string::npos, first) << all;
    EXPECT_EQ(std::string::npos, all.find("write error", first + told.size())) << all;
    // The files before the failure are whole, the failed ones are gone.
    for (int i = 0; i < 120; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/d/f%03d.txt", i);
        if (i < 60)
            EXPECT_EQ(Numbered(i, 100), ReadFile(out + name)) << name;
        else
            EXPECT_FALSE(Exists(out + name)) << name;
    }
}

}  // namespace
}  // namespace ziptest
