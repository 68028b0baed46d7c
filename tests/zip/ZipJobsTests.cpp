// Zip jobs through cZip and qnrz320.dll, as Bralto and qnrZip run them:
// file specifications with masks and recursion, messages, passwords and
// comments through the events, jobs on existing archives, and the safety
// of the original archive. The archives are also checked natively by the
// peer tools afterwards (see check_with_peers.sh).
#include "AutomationError.h"
#include "ZipTestSupport.h"
#include "cZip.h"

namespace ziptest {
namespace {

using bralto::cZip;

class ZipJob : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = TestFolder();
        archive_ = folder_.parent_path() / (folder_.filename().string() + ".zip");
        fs::remove(archive_);
        zip_.SetListener(&listener_);
        zip_.ZipFile(archive_.wstring());
    }

    void MakeTree() {
        WriteFile(folder_ / "src" / "readme.txt", TextContent(100000));
        WriteFile(folder_ / "src" / "noise.bin", NoiseContent(50000, 3));
        WriteFile(folder_ / "src" / "empty.dat", "");
        WriteFile(folder_ / "src" / "sub" / "deeper" / "nested.txt", TextContent(3000));
        WriteFile(folder_ / "src" / "sub" / "big.txt", TextContent(2500000));
        fs::create_directories(folder_ / "src" / "empty-folder");
    }

    std::string ArchiveName() const { return archive_.filename().string(); }
    std::string FolderName() const { return folder_.filename().string(); }

    // The progress pieces that begin with `prefix`.
    std::vector<std::wstring> Lines(const std::wstring& prefix) const {
        std::vector<std::wstring> lines;
        for (const std::wstring& piece : listener_.progress) {
            if (piece.rfind(prefix, 0) == 0) lines.push_back(piece);
        }
        return lines;
    }

    fs::path folder_;
    fs::path archive_;
    cZip zip_;
    RecordingListener listener_;
};

TEST_F(ZipJob, RecursiveFolderAtEveryLevel) {
    MakeTree();
    for (long level : {0L, 2L, 6L, 9L}) {
        SCOPED_TRACE(level);
        fs::path archive = folder_.parent_path() / (FolderName() + "-" + std::to_string(level) + ".zip");
        fs::remove(archive);
        zip_.ZipFile(archive.wstring());
        zip_.BasePath(folder_.wstring());
        zip_.StoreFolderNames(true);
        zip_.RecurseSubDirs(true);
        zip_.CompressionLevel(level);
        zip_.ClearFileSpecs();
        zip_.AddFileSpec(L"src\\*.*");
        ASSERT_EQ(0, zip_.Zip()) << Utf8(listener_.Transcript());
        ArchiveView view(archive);
        ASSERT_TRUE(view.Ok());
        ASSERT_NE(nullptr, view.Find("src/sub/deeper/nested.txt"));
        ASSERT_NE(nullptr, view.Find("src/empty-folder/"));
        EXPECT_EQ(level == 0 ? 0 : 8, view.Find("src/readme.txt")->method);
        ExpectPeersAgree(archive.filename().string(), FolderName());
    }
}

TEST_F(ZipJob, MessagesAndCancelChecksPerFile) {
    WriteFile(folder_ / "a.txt", TextContent(20000));
    WriteFile(folder_ / "b.bin", NoiseContent(2000, 1));
    zip_.StoreFolderNames(true);
    zip_.AddFileSpec((folder_ / "*.*").wstring());
    ASSERT_EQ(0, zip_.Zip());
    std::vector<std::wstring> adding = Lines(L"  adding: ");
    ASSERT_EQ(2u, adding.size());
    // Names as stored, without drive or leading separator, in backslashes.
    std::wstring stored = folder_.wstring().substr(3);
    EXPECT_EQ(L"  adding: " + stored + L"\\a.txt", adding[0]);
    EXPECT_EQ(1u, Lines(L" (deflated ").size());
    EXPECT_EQ(1u, Lines(L" (stored 0%)").size());
    // The lone line ends are single bytes: the engine drops them.
    EXPECT_EQ(0, std::count(listener_.progress.begin(), listener_.progress.end(), L"\n"));
    EXPECT_EQ(2u, listener_.cancelChecks.size());

    zip_.MessageLevel(1);  // partial: no per-file lines, the cancel checks stay
    listener_.progress.clear();
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_TRUE(listener_.progress.empty()) << Utf8(listener_.Transcript());
    EXPECT_EQ(4u, listener_.cancelChecks.size());
}

TEST_F(ZipJob, JunkedNamesAndDuplicates) {
    WriteFile(folder_ / "one" / "x.txt", "one");
    WriteFile(folder_ / "two" / "y.txt", "two");
    WriteFile(folder_ / "expected" / "x.txt", "one");
    WriteFile(folder_ / "expected" / "y.txt", "two");
    zip_.RecurseSubDirs(true);
    zip_.AddFileSpec((folder_ / "one" / "*.*").wstring());
    zip_.AddFileSpec((folder_ / "two" / "*.*").wstring());
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ((std::vector<std::string>{"x.txt", "y.txt"}), ArchiveView(archive_).Names());
    ExpectPeersAgree(ArchiveName(), FolderName() + "/expected");

    std::string before = ReadFile(archive_);
    WriteFile(folder_ / "two" / "x.txt", "clash");
    EXPECT_EQ(16, zip_.Zip());
    EXPECT_TRUE(before == ReadFile(archive_));
}

TEST_F(ZipJob, EncryptionAsksThePasswordOnce) {
    MakeTree();
    listener_.password = L"  s3cret  ";  // spaces are trimmed
    zip_.Encrypt(true);
    zip_.StoreFolderNames(true);
    zip_.RecurseSubDirs(true);
    zip_.BasePath(folder_.wstring());
    zip_.AddFileSpec(L"src\\*.*");
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ(1, listener_.passwordRequests);
    ArchiveView view(archive_);
    ASSERT_TRUE(view.Ok());
    EXPECT_TRUE(view.Find("src/readme.txt")->IsEncrypted());
    EXPECT_TRUE(view.Find("src/sub/big.txt")->IsEncrypted());
    ExpectPeersAgree(ArchiveName(), FolderName(), "s3cret");
}

TEST_F(ZipJob, NoPasswordAnswerStoresPlainMembers) {
    WriteFile(folder_ / "a.txt", "plain");
    zip_.Encrypt(true);
    listener_.cancelPassword = true;
    listener_.password = L"ignored";
    zip_.AddFileSpec((folder_ / "a.txt").wstring());
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ(1, listener_.passwordRequests);
    EXPECT_TRUE(bralto::ZipPasswordGivenUp());
    EXPECT_FALSE(ArchiveView(archive_).Members().at(0).IsEncrypted());

    zip_.SetListener(nullptr);  // nobody to ask: no password either
    fs::remove(archive_);
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_TRUE(bralto::ZipPasswordGivenUp());
    EXPECT_FALSE(ArchiveView(archive_).Members().at(0).IsEncrypted());
}

TEST_F(ZipJob, CommentAnswers) {
    WriteFile(folder_ / "a.txt", "a");
    zip_.AddComment(true);
    zip_.AddFileSpec((folder_ / "a.txt").wstring());
    listener_.comment = L"  Première version  ";
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ("Premi\xe8re version", ArchiveView(archive_).Comment());  // code page 1252, trimmed

    listener_.comment = L"";  // nothing: kept
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ("Premi\xe8re version", ArchiveView(archive_).Comment());

    listener_.comment = L"ignored";  // cancel: kept
    listener_.cancelComment = true;
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ("Premi\xe8re version", ArchiveView(archive_).Comment());

    listener_.cancelComment = false;
    listener_.comment = L"Deuxième";
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ("Deuxi\xe8me", ArchiveView(archive_).Comment());

    listener_.clearComment = true;  // clear wins over the text
    listener_.comment = L"also ignored";
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ("", ArchiveView(archive_).Comment());
    EXPECT_EQ(5, listener_.commentRequests);

    zip_.SetListener(nullptr);  // no listener: the comment stays
    listener_.clearComment = false;
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ("", ArchiveView(archive_).Comment());
    ExpectPeersAgree(ArchiveName(), "");
}

TEST_F(ZipJob, NonAsciiNamesAreUtf8InTheArchiveAndAnsiInMessages) {
    WriteFile(folder_ / "src" / L"été.txt", "summer");
    WriteFile(folder_ / "src" / L"Ωmega.txt", "greek");  // outside code page 1252
    WriteFile(folder_ / "src" / "plain.txt", "ascii");
    zip_.BasePath(folder_.wstring());
    zip_.StoreFolderNames(true);
    zip_.AddFileSpec(L"src\\*.*");
    ASSERT_EQ(0, zip_.Zip());
    ArchiveView view(archive_);
    ASSERT_TRUE(view.Ok());
    const zipcore::MemberInfo* summer = view.Find("src/\xc3\xa9t\xc3\xa9.txt");
    ASSERT_NE(nullptr, summer);
    EXPECT_TRUE(summer->utf8);
    ASSERT_NE(nullptr, view.Find("src/\xce\xa9mega.txt"));
    EXPECT_FALSE(view.Find("src/plain.txt")->utf8);
    EXPECT_EQ(1u, Lines(L"  adding: src\\été.txt").size());
    ExpectPeersAgree(ArchiveName(), FolderName());
}

TEST_F(ZipJob, HiddenFilesOnlyWhenAsked) {
    WriteFile(folder_ / "shown.txt", "shown");
    WriteFile(folder_ / "hidden.txt", "hidden");
    SetFileAttributesW((folder_ / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    zip_.StoreFolderNames(true);
    zip_.AddFileSpec((folder_ / "*.txt").wstring());
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ(1u, ArchiveView(archive_).Members().size());
    zip_.IncludeSystemAndHiddenFiles(true);
    ASSERT_EQ(0, zip_.Zip());
    ArchiveView view(archive_);
    ASSERT_EQ(2u, view.Members().size());
    std::string stored = Utf8(folder_.wstring().substr(3));
    std::replace(stored.begin(), stored.end(), '\\', '/');
    EXPECT_EQ(0x02u, view.Find(stored + "/hidden.txt")->externalAttributes & 0x02u);
}

// A folder whose listing takes several reads of the system (long names,
// many of them): every file is found once, with its size, date and
// attributes, and the sub-folders among them are walked.
TEST_F(ZipJob, AFolderOfManyLongNamesIsStoredWhole) {
    const int count = 1500;
    const std::string padding(60, 'n');
    for (int i = 0; i < count; ++i) {
        WriteFile(folder_ / "many" / (padding + std::to_string(10000 + i) + ".txt"), std::string(i % 97, 'x'));
    }
    WriteFile(folder_ / "many" / "zz-sub" / "inner.txt", "inner");
    const fs::path dated = folder_ / "many" / (padding + "10007.txt");
    {
        SYSTEMTIME local{2001, 2, 0, 3, 4, 5, 6, 0};  // 3 February 2001, 04:05:06
        FILETIME localTime{}, utc{};
        ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime) && LocalFileTimeToFileTime(&localTime, &utc));
        HANDLE file = CreateFileW(dated.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
        CloseHandle(file);
    }
    SetFileAttributesW((folder_ / "many" / (padding + "10011.txt")).c_str(), FILE_ATTRIBUTE_READONLY);

    zip_.BasePath(folder_.wstring());
    zip_.StoreFolderNames(true);
    zip_.RecurseSubDirs(true);
    zip_.AddFileSpec(L"many");
    ASSERT_EQ(0, zip_.Zip()) << Utf8(listener_.Transcript());
    SetFileAttributesW((folder_ / "many" / (padding + "10011.txt")).c_str(), FILE_ATTRIBUTE_NORMAL);

    ArchiveView view(archive_);
    ASSERT_TRUE(view.Ok());
    EXPECT_EQ(static_cast<size_t>(count) + 3, view.Members().size());  // and many/, many/zz-sub/, inner.txt
    for (int i = 0; i < count; ++i) {
        const zipcore::MemberInfo* member = view.Find("many/" + padding + std::to_string(10000 + i) + ".txt");
        ASSERT_NE(nullptr, member) << i;
        EXPECT_EQ(static_cast<uint64_t>(i % 97), member->uncompressedSize) << i;
    }
    ASSERT_NE(nullptr, view.Find("many/zz-sub/inner.txt"));
    const zipcore::MemberInfo* old = view.Find("many/" + padding + "10007.txt");
    EXPECT_EQ(((2001 - 1980) << 9) | (2 << 5) | 3, old->modDate);
    EXPECT_EQ((4 << 11) | (5 << 5) | (6 / 2), old->modTime);
    EXPECT_EQ(0x01u, view.Find("many/" + padding + "10011.txt")->externalAttributes & 0x01u);
    EXPECT_EQ(0x00u, view.Find("many/" + padding + "10012.txt")->externalAttributes & 0x01u);
}

TEST_F(ZipJob, TheArchiveNeverContainsItself) {
    WriteFile(folder_ / "a.txt", "alpha");
    fs::path inside = folder_ / "self.zip";
    zip_.ZipFile(inside.wstring());
    zip_.BasePath(folder_.wstring());
    zip_.AddFileSpec(L"*.*");
    ASSERT_EQ(0, zip_.Zip());
    ASSERT_EQ(0, zip_.Zip());  // now the archive exists and matches the mask
    EXPECT_EQ((std::vector<std::string>{"a.txt"}), ArchiveView(inside).Names());
}

TEST_F(ZipJob, UpdateFreshenAndDelete) {
    WriteFile(folder_ / "a.txt", "alpha");
    WriteFile(folder_ / "b.txt", "bravo");
    SetWriteTime(folder_ / "a.txt", 2015);
    SetWriteTime(folder_ / "b.txt", 2015);
    zip_.BasePath(folder_.wstring());
    zip_.AddFileSpec(L"*.txt");
    ASSERT_EQ(0, zip_.Zip());

    WriteFile(folder_ / "b.txt", "bravo 2");
    SetWriteTime(folder_ / "b.txt", 2020);
    WriteFile(folder_ / "c.txt", "charlie");
    zip_.FreshenFiles(true);
    listener_.progress.clear();
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), ArchiveView(archive_).Names());
    EXPECT_EQ(1u, Lines(L"freshening: b.txt").size());

    zip_.FreshenFiles(false);
    zip_.UpdateOnlyIfNewer(true);
    listener_.progress.clear();
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "c.txt"}), ArchiveView(archive_).Names());
    EXPECT_EQ(1u, Lines(L"  adding: c.txt").size());
    EXPECT_EQ(12, zip_.Zip());  // nothing newer now

    zip_.ClearFileSpecs();
    zip_.AddFileSpec(L"\\A.TXT");
    listener_.progress.clear();
    ASSERT_EQ(0, zip_.Delete());
    EXPECT_EQ((std::vector<std::string>{"b.txt", "c.txt"}), ArchiveView(archive_).Names());
    EXPECT_EQ(1u, Lines(L"deleting: a.txt").size());
    fs::remove(folder_ / "a.txt");
    ExpectPeersAgree(ArchiveName(), FolderName());
}

TEST_F(ZipJob, AppendingKeepsTheMembersAndAddsNewOnes) {
    WriteFile(folder_ / "a.txt", "alpha");
    zip_.BasePath(folder_.wstring());
    zip_.AddFileSpec(L"a.txt");
    ASSERT_EQ(0, zip_.Zip());
    WriteFile(folder_ / "b.txt", "bravo");
    zip_.AllowAppend(true);
    zip_.ClearFileSpecs();
    zip_.AddFileSpec(L"b.txt");
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), ArchiveView(archive_).Names());
    ExpectPeersAgree(ArchiveName(), FolderName());
}

TEST_F(ZipJob, MoveDeletesTheSourcesAfterwards) {
    WriteFile(folder_ / "move" / "m.txt", "mike");
    WriteFile(folder_ / "move" / "inner" / "n.txt", "november");
    zip_.MoveFiles(true);
    zip_.RecurseSubDirs(true);
    zip_.BasePath(folder_.wstring());
    zip_.StoreFolderNames(true);
    zip_.AddFileSpec(L"move\\*.*");
    ASSERT_EQ(0, zip_.Zip());
    EXPECT_EQ((std::vector<std::string>{"move/inner/", "move/m.txt", "move/inner/n.txt"}),
              ArchiveView(archive_).Names());
    EXPECT_FALSE(fs::exists(folder_ / "move" / "m.txt"));
    EXPECT_FALSE(fs::exists(folder_ / "move" / "inner"));
}

TEST_F(ZipJob, CancelKeepsTheArchiveByteForByte) {
    WriteFile(folder_ / "a.txt", "alpha");
    zip_.BasePath(folder_.wstring());
    zip_.AddFileSpec(L"a.txt");
    ASSERT_EQ(0, zip_.Zip());
    std::string before = ReadFile(archive_);
    size_t entries = CountEntries(archive_.parent_path());

    WriteFile(folder_ / "b.txt", TextContent(3000000));
    WriteFile(folder_ / "c.txt", "charlie");
    zip_.MoveFiles(true);
    zip_.AddFileSpec(L"b.txt");
    zip_.AddFileSpec(L"c.txt");
    listener_.cancelOn = [](const std::wstring& name) { return name == L"c.txt"; };
    EXPECT_EQ(9, zip_.Zip());
    EXPECT_TRUE(before == ReadFile(archive_));
    EXPECT_EQ(entries, CountEntries(archive_.parent_path())) << "a temporary file was left";
    EXPECT_TRUE(fs::exists(folder_ / "b.txt"));
}

TEST_F(ZipJob, ACrashLeavesTheArchiveAndNoTemporaryFile) {
    WriteFile(folder_ / "a.txt", "alpha");
    zip_.AddFileSpec((folder_ / "a.txt").wstring());
    ASSERT_EQ(0, zip_.Zip());
    std::string before = ReadFile(archive_);
    size_t entries = CountEntries(archive_.parent_path());
    WriteFile(folder_ / "b.txt", TextContent(3000000));
    WriteFile(folder_ / "c.txt", "charlie");

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::path helper = fs::path(self).parent_path() / "zip_crash_helper.exe";
    std::wstring command = L"\"" + helper.wstring() + L"\" \"" + archive_.wstring() + L"\" \"" +
                           (folder_ / "b.txt").wstring() + L"\" \"" + (folder_ / "c.txt").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(77u, exitCode);
    EXPECT_TRUE(before == ReadFile(archive_));
    EXPECT_EQ(entries, CountEntries(archive_.parent_path())) << "a temporary file was left";
}

TEST_F(ZipJob, CodesForMissingThings) {
    zip_.BasePath(L"   ");  // blank: no base folder at all
    zip_.AddFileSpec((folder_ / "nothing-here.txt").wstring());
    EXPECT_EQ(12, zip_.Zip());
    EXPECT_FALSE(fs::exists(archive_));
    EXPECT_NE(std::wstring::npos, listener_.Transcript().find(L"name not matched"));
    zip_.FreshenFiles(true);
    EXPECT_EQ(13, zip_.Zip());
    WriteFile(archive_, "not a zip file, only some text");
    zip_.FreshenFiles(false);
    WriteFile(folder_ / "nothing-here.txt", "now it exists");
    EXPECT_EQ(3, zip_.Zip());
    EXPECT_EQ("not a zip file, only some text", ReadFile(archive_));
    zip_.BasePath((folder_ / "no-such-folder").wstring());
    EXPECT_EQ(16, zip_.Zip());
}

}  // namespace
}  // namespace ziptest
