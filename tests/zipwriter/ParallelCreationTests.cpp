// Many small members compressed together on every worker: the archive and
// the messages stay those of a one-thread run, and a failure anywhere in a
// batch is handled as it is for a member compressed alone.
#include <gtest/gtest.h>

#include <cstring>

#include "MemberCompressor.h"
#include "PosixHost.h"
#include "TestSupport.h"
#include "ZipJob.h"

namespace ziptest {
namespace {

using zipcore::ZipJobOptions;

// Names in archive order, taken from the messages: "  adding: NAME".
std::vector<std::string> AddedNames(const PosixHost& host) {
    std::vector<std::string> names;
    for (const std::string& piece : host.prints) {
        const std::string verb = "  adding: ";
        if (piece.compare(0, verb.size(), verb) == 0) names.push_back(piece.substr(verb.size()));
    }
    return names;
}

class ParallelCreationTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = scratch_ / "source";
        archive_ = scratch_ / "out" / "test.zip";
        fs::create_directories(archive_.parent_path());
    }

    // Hundreds of small files of every kind, with two large ones among
    // them, so that batches, single chunks and chunked members alternate.
    void MakeManySmallFiles() {
        for (int i = 0; i < 400; ++i) {
            std::string name = "f" + std::to_string(1000 + i);
            fs::path folder = source_ / ("d" + std::to_string(i % 7));
            size_t size = static_cast<size_t>((i * 7919) % 30000);
            if (i % 11 == 0) size = 0;
            WriteFile(folder / (name + ".txt"), i % 5 == 0 ? RandomContent(size, i) : TextContent(size, i));
        }
        WriteFile(source_ / "d3" / "large.txt", TextContent(2500000, 77));
        WriteFile(source_ / "d5" / "large.bin", RandomContent(1300000, 78));
        WriteFile(source_ / "d5" / "medium.txt", TextContent(600000, 79));
    }

    int Zip(const ZipJobOptions& options, const std::vector<zipcore::SourceFile>& sources) {
        host_.prints.clear();
        return zipcore::RunZipJob(options, sources, {}, archive_.string(), host_);
    }

    ZipJobOptions WithThreads(unsigned threads) {
        ZipJobOptions options;
        options.threads = threads;
        return options;
    }

    void ExpectPeersAccept() {
        std::string output;
        EXPECT_EQ(0, RunCommand("unzip -tqq " + Quote(archive_), &output)) << output;
        EXPECT_EQ(0, RunCommand("7zz t " + Quote(archive_), &output)) << output;
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

TEST_F(ParallelCreationTest, ArchiveAndMessagesAreThoseOfOneThread) {
    MakeManySmallFiles();
    const std::vector<zipcore::SourceFile> sources = CollectSources(source_.string());
    ASSERT_EQ(0, Zip(WithThreads(1), sources)) << host_.Transcript();
    const std::string single = ReadFile(archive_);
    const std::vector<std::string> singlePrints = host_.prints;
    for (unsigned threads : {2u, 4u, 8u}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        fs::remove(archive_);
        ASSERT_EQ(0, Zip(WithThreads(threads), sources)) << host_.Transcript();
        EXPECT_TRUE(single == ReadFile(archive_));
        EXPECT_EQ(singlePrints, host_.prints);
    }
    ExpectPeersAccept();
    std::string output, difference;
    fs::path extracted = scratch_ / "extracted";
    ASSERT_EQ(0, RunCommand("unzip -qq " + Quote(archive_) + " -d " + Quote(extracted), &output)) << output;
    EXPECT_TRUE(SameTree(source_, extracted, &difference)) << difference;
}

TEST_F(ParallelCreationTest, MembersAndProgressFollowTheSourceOrder) {
    MakeManySmallFiles();
    const std::vector<zipcore::SourceFile> sources = CollectSources(source_.string(), false);
    ASSERT_EQ(0, Zip(WithThreads(4), sources)) << host_.Transcript();
    std::vector<std::string> expected;
    for (const zipcore::SourceFile& source : sources) expected.push_back(source.info.storedName);
    EXPECT_EQ(expected, AddedNames(host_));
    std::string listed = Python("print('\\n'.join(z.namelist()))");
    std::string wanted;
    for (const std::string& name : expected) wanted += name + "\n";
    EXPECT_EQ(wanted, listed);
}

TEST_F(ParallelCreationTest, FilesThatFailInsideABatchAreSkippedInPlace) {
    MakeManySmallFiles();
    const std::vector<zipcore::SourceFile> sources = CollectSources(source_.string(), false);
    // One file gone before it is opened, one that opens but cannot be read
    // (a folder now stands in its place), both among small neighbours.
    fs::remove(source_ / "d2" / "f1023.txt");
    fs::remove(source_ / "d4" / "f1060.txt");
    fs::create_directories(source_ / "d4" / "f1060.txt");
    EXPECT_EQ(18, Zip(WithThreads(4), sources));
    const std::string transcript = host_.Transcript();
    EXPECT_NE(std::string::npos, transcript.find("could not open for reading: d2/f1023.txt")) << transcript;
    EXPECT_NE(std::string::npos, transcript.find("could not read d4/f1060.txt")) << transcript;
    std::string wanted;
    for (const zipcore::SourceFile& source : sources) {
        if (source.info.storedName != "d2/f1023.txt" && source.info.storedName != "d4/f1060.txt") {
            wanted += source.info.storedName + "\n";
        }
    }
    EXPECT_EQ(wanted, Python("print('\\n'.join(z.namelist()))"));
    ExpectPeersAccept();
}

TEST_F(ParallelCreationTest, CancelOrFullDiskInsideABatchLeaveTheArchiveUntouched) {
    WriteFile(source_ / "first.txt", "first");
    ASSERT_EQ(0, Zip(WithThreads(4), CollectSources(source_.string())));
    const std::string original = ReadFile(archive_);
    MakeManySmallFiles();
    const std::vector<zipcore::SourceFile> sources = CollectSources(source_.string());

    host_.stopBefore = [](const std::string& name) { return name == "d3/f1171.txt"; };
    EXPECT_EQ(9, Zip(WithThreads(4), sources));
    EXPECT_TRUE(original == ReadFile(archive_));
    EXPECT_EQ(1u, CountEntries(archive_.parent_path())) << "a temporary file was left behind";

    host_.stopBefore = nullptr;
    host_.failWritesAfter = 200000;
    EXPECT_EQ(14, Zip(WithThreads(4), sources));
    EXPECT_TRUE(original == ReadFile(archive_));
    EXPECT_EQ(1u, CountEntries(archive_.parent_path())) << "a temporary file was left behind";
}

// A source held in memory; fails to read when asked to.
class MemoryInput : public zipcore::InputStream {
public:
    MemoryInput(std::string data, bool failing) : data_(std::move(data)), failing_(failing) {}
    long long Read(void* buffer, size_t size) override {
        if (failing_) return -1;
        size_t count = std::min(size, data_.size() - position_);
        std::memcpy(buffer, data_.data() + position_, count);
        position_ += count;
        return static_cast<long long>(count);
    }

private:
    std::string data_;
    size_t position_ = 0;
    bool failing_;
};

TEST(MemberCompressor, ChunksComeInTaskOrderAndLargeBlocksAreReused) {
    // Sizes in units of the (small) chunk: batches of whole members, then
    // chunked members, then batches again; some sources fail.
    const size_t chunk = 64 * 1024;
    std::vector<size_t> sizes;
    for (int i = 0; i < 300; ++i) sizes.push_back(i % 50 == 7 ? 5 * chunk + 123 : static_cast<size_t>(i * 37 % 5000));
    std::vector<zipcore::CompressorTask> tasks;
    for (size_t i = 0; i < sizes.size(); ++i) {
        std::string data = TextContent(sizes[i], static_cast<unsigned>(i));
        bool unopenable = i % 97 == 5, unreadable = i % 89 == 6;
        tasks.push_back(
            zipcore::CompressorTask{[data, unopenable, unreadable]() -> std::unique_ptr<zipcore::InputStream> {
                                        if (unopenable) return nullptr;
                                        return std::make_unique<MemoryInput>(data, unreadable);
                                    },
                                    sizes[i]});
    }
    zipcore::CompressorSettings settings;
    settings.threads = 3;
    settings.chunkSize = chunk;
    settings.batchBytes = 16 * 1024;
    settings.batchMembers = 5;
    zipcore::MemberCompressor compressor(std::move(tasks), settings);

    zipcore::CompressedChunk got;
    for (size_t task = 0; task < sizes.size(); ++task) {
        SCOPED_TRACE("task " + std::to_string(task));
        size_t expectedChunks = task % 97 == 5 || task % 89 == 6 ? 1 : sizes[task] / chunk + 1;
        uint64_t total = 0;
        for (size_t index = 0; index < expectedChunks; ++index) {
            ASSERT_TRUE(compressor.Next(got));
            ASSERT_EQ(task, got.task);
            EXPECT_EQ(index + 1 == expectedChunks, got.last);
            zipcore::CompressedChunk::Status status = zipcore::CompressedChunk::Status::Data;
            if (task % 97 == 5) {
                status = zipcore::CompressedChunk::Status::OpenFailed;
            } else if (task % 89 == 6) {
                status = zipcore::CompressedChunk::Status::ReadFailed;
            }
            EXPECT_EQ(status, got.status);
            total += got.inputSize;
            compressor.Recycle(got);
        }
        if (got.status == zipcore::CompressedChunk::Status::Data) {
            EXPECT_EQ(sizes[task], total);
        }
    }
    EXPECT_FALSE(compressor.Next(got));
    // The chunked members' blocks came back for reuse, and no more than a
    // few are kept.
    EXPECT_GT(compressor.KeptBlocks(), 0u);
    EXPECT_LE(compressor.KeptBlocks(), 3u + 4u);
}

}  // namespace
}  // namespace ziptest
