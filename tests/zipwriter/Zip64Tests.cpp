// Archives past the 32-bit limits of the classic Zip records. Slow (it
// writes over 4 GiB), hence a program of its own with the "slow" label.
#include <gtest/gtest.h>

#include <fstream>

#include "PosixHost.h"
#include "TestSupport.h"
#include "ZipJob.h"

namespace ziptest {
namespace {

// Over 4 GiB: a sparse file stored makes both a Zip64 member and Zip64
// offsets; the same file deflated makes a Zip64 member in a small archive.
TEST(Zip64, Zip64WhenMembersOrTheArchivePassFourGiB) {
    ScratchFolder scratch_;
    PosixHost host_;
    fs::path archive_ = scratch_ / "huge.zip";
    auto Zip = [&](const zipcore::ZipJobOptions& options, const std::vector<zipcore::SourceFile>& sources) {
        return zipcore::RunZipJob(options, sources, {}, archive_.string(), host_);
    };
    auto Python = [&](const std::string& script) {
        std::string output;
        RunCommand(
            "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); " + script + "\" " + Quote(archive_),
            &output);
        return output;
    };
    fs::path big = scratch_ / "big" / "huge.bin";
    fs::create_directories(big.parent_path());
    WriteFile(scratch_ / "big" / "tail.txt", "after the huge member");
    {
        std::ofstream out(big, std::ios::binary);
        out.seekp((4LL << 30) + 12345);
        out.put('x');
    }
    auto sources = CollectSources((scratch_ / "big").string());
    for (int level : {1, 0}) {
        SCOPED_TRACE("level " + std::to_string(level));
        fs::remove(archive_);
        zipcore::ZipJobOptions options;
        options.level = level;
        ASSERT_EQ(0, Zip(options, sources)) << host_.Transcript();
        std::string output;
        EXPECT_EQ(0, RunCommand("unzip -t " + Quote(archive_), &output)) << output;
        EXPECT_EQ(0, RunCommand("7zz t " + Quote(archive_), &output)) << output;
        EXPECT_EQ("4294979642 after the huge member\n",
                  Python("print(z.getinfo('huge.bin').file_size, z.read('tail.txt').decode())"));
    }
    EXPECT_GT(fs::file_size(archive_), 4ULL << 30);
    fs::remove(archive_);
}

// More members than the classic end record can count: folder entries
// need no file on disk, so 70,000 of them make the point quickly.
TEST(Zip64, MoreThan65535Members) {
    ScratchFolder scratch;
    PosixHost host;
    fs::path archive = scratch / "many.zip";
    std::vector<zipcore::SourceFile> sources(70000);
    for (size_t i = 0; i < sources.size(); ++i) {
        sources[i].info.storedName = "d" + std::to_string(i) + "/";
        sources[i].info.isDirectory = true;
        sources[i].info.dosDate = (40 << 9) | (1 << 5) | 1;
        sources[i].displayName = sources[i].info.storedName;
    }
    ASSERT_EQ(0, zipcore::RunZipJob(zipcore::ZipJobOptions{}, sources, {}, archive.string(), host));
    std::string output;
    EXPECT_EQ(0, RunCommand("unzip -tq " + Quote(archive), &output)) << output;
    EXPECT_EQ(0, RunCommand("python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                            "assert len(z.infolist()) == 70000, len(z.infolist())\" " +
                                Quote(archive),
                            &output))
        << output;
}

}  // namespace
}  // namespace ziptest
