// What a zip job refuses to do on Windows: rewrite an archive that has the
// read-only attribute, and walk into links to folders (which may lead back
// to a parent, as the junctions of a user profile do).
#include "ZipTestSupport.h"
#include "cZip.h"

namespace ziptest {
namespace {

using bralto::cZip;

class ZipRefusal : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = TestFolder();
        archive_ = folder_ / "archive.zip";
        zip_.SetListener(&listener_);
        zip_.ZipFile(archive_.wstring());
    }
    void TearDown() override { SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_NORMAL); }

    fs::path folder_;
    fs::path archive_;
    cZip zip_;
    RecordingListener listener_;
};

// Windows refuses to replace a read-only file, but under Wine a rename
// by root does it: the library checks the attribute itself, before it
// asks for a password or a comment and before anything is written.
TEST_F(ZipRefusal, AReadOnlyArchiveIsRefusedAtOnce) {
    WriteFile(folder_ / "src" / "a.txt", "alpha");
    WriteFile(folder_ / "src" / "b.txt", "bravo");
    zip_.AddFileSpec((folder_ / "src" / "a.txt").wstring());
    zip_.AddFileSpec((folder_ / "src" / "b.txt").wstring());
    ASSERT_EQ(0, zip_.Zip()) << Utf8(listener_.Transcript());
    const std::string before = ReadFile(archive_);
    ASSERT_TRUE(SetFileAttributesW(archive_.c_str(), FILE_ATTRIBUTE_READONLY));
    const size_t entries = CountEntries(folder_);
    WriteFile(folder_ / "src" / "c.txt", "charlie");

    auto expectRefused = [&](const char* what, long code) {
        SCOPED_TRACE(what);
        EXPECT_EQ(15, code) << Utf8(listener_.Transcript());
        EXPECT_NE(std::wstring::npos, listener_.Transcript().find(L"zip error: Could not create output file"));
        EXPECT_EQ(0, listener_.passwordRequests);
        EXPECT_EQ(0, listener_.commentRequests);
        EXPECT_TRUE(before == ReadFile(archive_));
        EXPECT_EQ(entries, CountEntries(folder_)) << "a temporary file was left";
        DWORD attributes = GetFileAttributesW(archive_.c_str());
        EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY));
        listener_.progress.clear();
    };

    zip_.ClearFileSpecs();
    zip_.AddFileSpec((folder_ / "src" / "c.txt").wstring());
    zip_.Encrypt(true);
    listener_.password = L"secret";
    expectRefused("add", zip_.Zip());

    zip_.Encrypt(false);
    zip_.ClearFileSpecs();
    zip_.AddFileSpec(L"a.txt");
    expectRefused("delete", zip_.Delete());

    zip_.ClearFileSpecs();
    zip_.AddComment(true);
    listener_.comment = L"Nouveau commentaire";
    expectRefused("comment", zip_.Zip());
}

// The link fixtures are made natively (Wine cannot make links): tree/sub
// holds "up", a link to its parent, and "away", a link to a folder
// outside the tree. Under Wine both show as reparse points, as junctions
// and symbolic links to folders do on Windows.
TEST_F(ZipRefusal, LinksToFoldersAreNotFollowed) {
    const fs::path tree = Exchange() / "links" / "tree";
    ASSERT_TRUE(fs::exists(tree / "sub" / "f.txt"));
    zip_.BasePath((Exchange() / "links").wstring());
    zip_.StoreFolderNames(true);
    for (bool mask : {false, true}) {
        SCOPED_TRACE(mask ? "mask in every folder" : "folder named with recursion");
        fs::remove(archive_);
        listener_.progress.clear();
        zip_.ClearFileSpecs();
        zip_.RecurseSubDirs(true);
        zip_.AddFileSpec(mask ? L"tree\\*" : L"tree");
        ASSERT_EQ(0, zip_.Zip()) << Utf8(listener_.Transcript());
        ArchiveView view(archive_);
        ASSERT_TRUE(view.Ok());
        std::vector<std::string> names = view.Names();
        std::sort(names.begin(), names.end());
        std::vector<std::string> expected = {"tree/sub/", "tree/sub/f.txt", "tree/top.txt"};
        if (!mask) expected.insert(expected.begin(), "tree/");
        EXPECT_EQ(expected, names);
        const std::wstring transcript = listener_.Transcript();
        EXPECT_NE(std::wstring::npos, transcript.find(L"zip warning: link to a folder not followed: tree\\sub\\up"))
            << Utf8(transcript);
        EXPECT_NE(std::wstring::npos, transcript.find(L"zip warning: link to a folder not followed: tree\\sub\\away"))
            << Utf8(transcript);
    }
}

}  // namespace
}  // namespace ziptest
