// Names through cZip and qnrz320.dll in the French prefix (ANSI 1252):
// files whose names the code page lacks are stored as UTF-8 and named in
// messages by escapes, never by look-alikes; members of an archive made on
// Linux (raw UTF-8, no flag) are named and deleted as the unzip library
// lists them.
#include <zlib.h>

#include "ZipTestSupport.h"
#include "cZip.h"

namespace ziptest {
namespace {

using bralto::cZip;

void Put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, unsigned long value) {
    Put16(out, value & 0xFFFF);
    Put16(out, (value >> 16) & 0xFFFF);
}

// An archive as Info-ZIP's zip on Linux writes it: stored members, raw
// UTF-8 names without the UTF-8 flag, "made by" Unix.
void WriteUnixArchive(const fs::path& path, const std::vector<std::string>& utf8Names) {
    std::string data, central;
    for (const std::string& name : utf8Names) {
        const std::string content = "from Linux\n";
        unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size()));
        unsigned long offset = static_cast<unsigned long>(data.size());
        Put32(data, 0x04034b50);
        for (unsigned field : {20u, 0u, 0u, 0x6000u, 0x5a84u}) Put16(data, field);
        Put32(data, crc);
        Put32(data, content.size());
        Put32(data, content.size());
        Put16(data, static_cast<unsigned>(name.size()));
        Put16(data, 0);
        data += name + content;
        Put32(central, 0x02014b50);
        for (unsigned field : {(3u << 8) | 30u, 20u, 0u, 0u, 0x6000u, 0x5a84u}) Put16(central, field);
        Put32(central, crc);
        Put32(central, content.size());
        Put32(central, content.size());
        for (unsigned field : {static_cast<unsigned>(name.size()), 0u, 0u, 0u, 0u}) Put16(central, field);
        Put32(central, 0100644ul << 16);
        Put32(central, offset);
        central += name;
    }
    std::string end;
    Put32(end, 0x06054b50);
    for (unsigned field : {0u, 0u, static_cast<unsigned>(utf8Names.size()), static_cast<unsigned>(utf8Names.size())})
        Put16(end, field);
    Put32(end, central.size());
    Put32(end, data.size());
    Put16(end, 0);
    std::ofstream(path, std::ios::binary) << data << central << end;
}

class ZipNames : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = TestFolder();
        archive_ = folder_.parent_path() / (folder_.filename().string() + ".zip");
        fs::remove(archive_);
        zip_.SetListener(&listener_);
        zip_.ZipFile(archive_.wstring());
    }

    bool Said(const std::wstring& line) const {
        return std::find(listener_.progress.begin(), listener_.progress.end(), line) != listener_.progress.end();
    }

    fs::path folder_;
    fs::path archive_;
    cZip zip_;
    RecordingListener listener_;
};

TEST_F(ZipNames, NamesOutsideTheCodePageAreStoredWholeAndNamedByEscapes) {
    WriteFile(folder_ / "src" / L"Ωmega.txt", "greek");
    WriteFile(folder_ / "src" / L"．．＼note.txt", "full width");
    WriteFile(folder_ / "src" / L"café.txt", "accent");
    zip_.BasePath(folder_.wstring());
    zip_.StoreFolderNames(true);
    zip_.AddFileSpec(L"src\\*.*");
    ASSERT_EQ(0, zip_.Zip()) << Utf8(listener_.Transcript());
    ArchiveView view(archive_);
    ASSERT_TRUE(view.Ok());
    for (const char* stored :
         {"src/\xce\xa9mega.txt", "src/\xef\xbc\x8e\xef\xbc\x8e\xef\xbc\xbcnote.txt", "src/caf\xc3\xa9.txt"}) {
        const zipcore::MemberInfo* member = view.Find(stored);
        ASSERT_NE(nullptr, member) << stored;
        EXPECT_TRUE(member->utf8) << stored;
    }
    EXPECT_TRUE(Said(L"  adding: src\\#U03A9mega.txt")) << Utf8(listener_.Transcript());
    EXPECT_TRUE(Said(L"  adding: src\\#UFF0E#UFF0E#UFF3Cnote.txt")) << Utf8(listener_.Transcript());
    EXPECT_TRUE(Said(L"  adding: src\\café.txt"));
    std::wstring transcript = listener_.Transcript();
    EXPECT_EQ(std::wstring::npos, transcript.find(L"Omega")) << Utf8(transcript);
    EXPECT_EQ(std::wstring::npos, transcript.find(L"..")) << Utf8(transcript);
    ExpectPeersAgree(archive_.filename().string(), folder_.filename().string());

    // The escaped name selects that member, and that member alone (in a
    // copy: the peers check the archive above afterwards).
    fs::path copy = folder_.parent_path() / (folder_.filename().string() + "-delete.zip");
    fs::copy_file(archive_, copy, fs::copy_options::overwrite_existing);
    zip_.ZipFile(copy.wstring());
    zip_.ClearFileSpecs();
    zip_.AddFileSpec(L"src\\#U03A9mega.txt");
    listener_.progress.clear();
    ASSERT_EQ(0, zip_.Delete()) << Utf8(listener_.Transcript());
    EXPECT_TRUE(Said(L"deleting: src\\#U03A9mega.txt"));
    ArchiveView after(copy);
    EXPECT_EQ(nullptr, after.Find("src/\xce\xa9mega.txt"));
    EXPECT_EQ(2u, after.Members().size());
}

TEST_F(ZipNames, MembersMadeOnLinuxAreNamedAndDeletedAsListed) {
    WriteUnixArchive(archive_, {"caf\xc3\xa9.txt", "dossier/\xc3\xa9t\xc3\xa9.txt", "keep.txt"});
    zip_.AddFileSpec(L"café.txt");
    zip_.AddFileSpec(L"dossier\\été.txt");
    ASSERT_EQ(0, zip_.Delete()) << Utf8(listener_.Transcript());
    EXPECT_TRUE(Said(L"deleting: café.txt")) << Utf8(listener_.Transcript());
    EXPECT_TRUE(Said(L"deleting: dossier\\été.txt")) << Utf8(listener_.Transcript());
    EXPECT_EQ((std::vector<std::string>{"keep.txt"}), ArchiveView(archive_).Names());

    // Adding the same file again replaces the member instead of adding a
    // second one of the same name.
    WriteUnixArchive(archive_, {"caf\xc3\xa9.txt"});
    WriteFile(folder_ / L"café.txt", "from Windows\n");
    zip_.ClearFileSpecs();
    zip_.BasePath(folder_.wstring());
    zip_.AddFileSpec(L"café.txt");
    listener_.progress.clear();
    ASSERT_EQ(0, zip_.Zip()) << Utf8(listener_.Transcript());
    EXPECT_TRUE(Said(L"updating: café.txt")) << Utf8(listener_.Transcript());
    EXPECT_EQ((std::vector<std::string>{"caf\xc3\xa9.txt"}), ArchiveView(archive_).Names());
    ExpectPeersAgree(archive_.filename().string(), "");
}

}  // namespace
}  // namespace ziptest
