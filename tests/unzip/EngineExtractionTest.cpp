// Extraction and testing through cUnzip, the way Bralto and the server
// call the library: byte-identical output, selections, overwrite answers,
// passwords, cancellation, hostile archives and the progress texts.
#include "AutomationError.h"
#include "UnzipTestSupport.h"
#include "cUnzip.h"
#include "mUnzip.h"

namespace unziptest {
namespace {

using bralto::cUnzip;

void ExpectSameTree(const std::wstring& original, const std::wstring& extracted) {
    std::vector<std::wstring> files = FilesBelow(original);
    ASSERT_EQ(files, FilesBelow(extracted));
    for (const std::wstring& file : files)
        EXPECT_EQ(ReadBytes(original + L"\\" + file), ReadBytes(extracted + L"\\" + file));
}

TEST(EngineExtraction, PeerArchivesExtractByteIdentical) {
    for (const wchar_t* name : {L"zip9.zip", L"zip0.zip", L"sevenzip.zip"}) {
        SCOPED_TRACE(name);
        ScratchFolder out(L"identical");
        RecordingListener listener;
        cUnzip unzip;
        unzip.SetListener(&listener);
        unzip.ZipFile(Fixture(name));
        unzip.UseFolderNames(true);
        unzip.UnzipFolder(out.path());
        ASSERT_EQ(0, unzip.unzip());
        ExpectSameTree(Fixture(L"src"), out.path());
        EXPECT_TRUE(fs::is_directory(out / L"empty-folder"));
    }
}

TEST(EngineExtraction, ProgressLinesNameTheFilesWithBackslashes) {
    ScratchFolder out(L"progress");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"zip9.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    std::wstring expected = L"  inflating: " + out.path() + L"\\sub\\deeper\\mixed.bin";
    EXPECT_NE(listener.progress.end(), std::find(listener.progress.begin(), listener.progress.end(), expected));
    for (const std::wstring& message : listener.progress) {
        EXPECT_GT(message.size(), 1u);  // one-byte texts are dropped
        EXPECT_EQ(std::wstring::npos, message.find(L'/'));
    }
    // The service callback asks before each member.
    EXPECT_EQ(L"readme.txt", listener.cancelAsked.front());
}

TEST(EngineExtraction, StoredMembersSayExtracting) {
    ScratchFolder out(L"stored");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"zip0.zip"));
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_NE(listener.progress.end(), std::find(listener.progress.begin(), listener.progress.end(),
                                                 L" extracting: " + out.path() + L"\\readme.txt"));
    // Without folder names every file lands at the top.
    EXPECT_TRUE(fs::exists(out / L"mixed.bin"));
    EXPECT_FALSE(fs::exists(out / L"sub"));
}

TEST(EngineExtraction, OnlySelectedMembersAreExtracted) {
    ScratchFolder out(L"selected");
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"zip9.zip"));
    ASSERT_EQ(0, unzip.Directory());
    for (long i = 1; i <= unzip.FileCount(); ++i)
        unzip.FileSelected(i, unzip.Filename(i) == L"mixed.bin" || unzip.Filename(i) == L"with space.txt");
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ((std::vector<std::wstring>{L"sub\\deeper\\mixed.bin", L"with space.txt"}), FilesBelow(out.path()));
    EXPECT_EQ(0, unzip.Record().nvflag);
}

TEST(EngineExtraction, NoSelectionMeansTheWholeArchive) {
    ScratchFolder out(L"none-selected");
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"names.zip"));
    ASSERT_EQ(0, unzip.Directory());
    for (long i = 1; i <= unzip.FileCount(); ++i) unzip.FileSelected(i, false);
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    // The names keep their real Unicode form on disk.
    EXPECT_EQ((std::vector<std::wstring>{L"crème.txt", L"dossier\\café.txt", L"日本.txt"}), FilesBelow(out.path()));
    EXPECT_EQ("not in the ANSI code page\n", ReadBytes(out / L"日本.txt"));
}

TEST(EngineExtraction, SelectingMoreThan1023NamesRaisesTheModuleError) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"many.zip"));
    ASSERT_EQ(0, unzip.Directory());
    ASSERT_EQ(1100, unzip.FileCount());
    unzip.FileSelected(1, false);
    unzip.UnzipFolder(L"Z:\\nonexistent-never-written");
    try {
        unzip.unzip();
        FAIL() << "no error";
    } catch (const bralto::AutomationError& error) {
        EXPECT_EQ(9, error.Number());
        EXPECT_EQ(bralto::ExecutableBaseName() + L".VBUnzip", error.Source());
    }
    EXPECT_EQ(nullptr, bralto::CurrentUnzipListener());
    EXPECT_FALSE(fs::exists(L"Z:\\nonexistent-never-written"));
}

TEST(EngineExtraction, UnzipFolderGetsATrailingBackslash) {
    cUnzip unzip;
    unzip.UnzipFolder(L"C:\\Temp");
    EXPECT_EQ(L"C:\\Temp\\", unzip.UnzipFolder());
    unzip.UnzipFolder(L"C:\\Temp\\");
    EXPECT_EQ(L"C:\\Temp\\", unzip.UnzipFolder());
    unzip.UnzipFolder(L"");
    EXPECT_EQ(L"\\", unzip.UnzipFolder());
    cUnzip idle;
    EXPECT_EQ(0, idle.unzip());  // no archive: nothing done
}

TEST(EngineExtraction, OptionPropertiesWriteTheRecord) {
    cUnzip unzip;
    unzip.ExtractOnlyExistingNewer(true);
    EXPECT_EQ(1, unzip.Record().nfflag);
    EXPECT_EQ(1, unzip.Record().ExtractOnlyNewer);
    EXPECT_FALSE(unzip.ExtractOnlyNewer());  // freshen hides it
    unzip.ExtractOnlyExistingNewer(false);
    EXPECT_EQ(1, unzip.Record().ExtractOnlyNewer);
    EXPECT_TRUE(unzip.ExtractOnlyNewer());
    unzip.ExtractOnlyExistingNewer(true);
    unzip.ExtractOnlyNewer(false);
    EXPECT_EQ(0, unzip.Record().nfflag);
    EXPECT_EQ(0, unzip.Record().ExtractOnlyNewer);
    unzip.MessageLevel(2);
    unzip.CaseSensitiveFileNames(true);
    unzip.ConvertCRToCRLF(true);
    EXPECT_EQ(2, unzip.Record().fQuiet);
    EXPECT_EQ(1, unzip.Record().C_flag);
    EXPECT_EQ(1, unzip.Record().naflag);
    EXPECT_EQ(0, unzip.Record().ncflag);
}

class Overwrite : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"readme.txt", L"with space.txt"}) {
            FILE* file = _wfopen((out / name).c_str(), L"wb");
            fputs("mine", file);
            fclose(file);
        }
        unzip.SetListener(&listener);
        unzip.ZipFile(Fixture(L"zip9.zip"));
        unzip.UnzipFolder(out.path());
    }
    ScratchFolder out{L"overwrite"};
    RecordingListener listener;
    cUnzip unzip;
};

TEST_F(Overwrite, PromptAnswersAreFollowed) {
    unzip.PromptToOverwrite(true);
    listener.overwriteAnswers = {102, 100};
    ASSERT_EQ(0, unzip.unzip());
    ASSERT_EQ(2u, listener.overwriteAsked.size());
    EXPECT_EQ(out / L"readme.txt", listener.overwriteAsked[0]);
    EXPECT_EQ(ReadBytes(Fixture(L"src\\readme.txt")), ReadBytes(out / L"readme.txt"));
    EXPECT_EQ("mine", ReadBytes(out / L"with space.txt"));
}

TEST_F(Overwrite, NoListenerKeepsExistingFiles) {
    unzip.SetListener(nullptr);
    unzip.PromptToOverwrite(true);
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ("mine", ReadBytes(out / L"readme.txt"));
    EXPECT_EQ(ReadBytes(Fixture(L"src\\random.bin")), ReadBytes(out / L"random.bin"));
}

TEST_F(Overwrite, OverwriteExistingAsksNothing) {
    unzip.OverwriteExisting(true);
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_TRUE(listener.overwriteAsked.empty());
    EXPECT_EQ("space\n", ReadBytes(out / L"with space.txt"));
}

TEST_F(Overwrite, FreshenTouchesOnlyExistingOlderFiles) {
    unzip.ExtractOnlyExistingNewer(true);
    unzip.OverwriteExisting(true);
    // The files written just now are newer than the archive's members.
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ("mine", ReadBytes(out / L"readme.txt"));
    EXPECT_EQ((std::vector<std::wstring>{L"readme.txt", L"with space.txt"}), FilesBelow(out.path()));
}

// Names that differ only in case are one name: a folder made by an earlier
// member under another case receives the later members, and a file it
// already holds is only replaced when the answer says so.
TEST(EngineExtraction, NamesDifferingInCaseAreOneName) {
    ScratchFolder out(L"cases");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"cases.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    unzip.PromptToOverwrite(true);
    listener.overwriteAnswers = {100};
    ASSERT_EQ(0, unzip.unzip());
    ASSERT_EQ(1u, listener.overwriteAsked.size());
    EXPECT_EQ((std::vector<std::wstring>{L"Dir\\a.txt", L"Dir\\b.txt"}), FilesBelow(out.path()));
    EXPECT_EQ("first", ReadBytes(out / L"Dir\\a.txt"));

    listener.overwriteAnswers = {100, 100, 102};
    listener.overwriteAsked.clear();
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ(3u, listener.overwriteAsked.size());
    EXPECT_EQ("third", ReadBytes(out / L"dir\\A.txt"));
    EXPECT_EQ("second", ReadBytes(out / L"Dir\\b.txt"));
}

TEST_F(Overwrite, SpacesToUnderscores) {
    unzip.SpaceToUnderscore(true);
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ("space\n", ReadBytes(out / L"with_space.txt"));
}

TEST(EnginePasswords, AnsweredPasswordExtracts) {
    ScratchFolder out(L"password");
    RecordingListener listener;
    listener.passwordAnswers = {L"  sésame  "};  // spaces are trimmed
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"encrypted.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ(1u, listener.passwordAsked.size());
    EXPECT_EQ(ReadBytes(Fixture(L"src\\sub\\deeper\\mixed.bin")), ReadBytes(out / L"sub\\deeper\\mixed.bin"));
}

TEST(EnginePasswords, AWrongPasswordIsAskedAgain) {
    ScratchFolder out(L"password-again");
    RecordingListener listener;
    listener.passwordAnswers = {L"faux", L"sésame"};
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"encrypted.zip"));
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ(2u, listener.passwordAsked.size());
}

TEST(EnginePasswords, GivingUpStopsFurtherRequests) {
    ScratchFolder out(L"password-give-up");
    RecordingListener listener;  // answers "" to the first request
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"encrypted.zip"));
    unzip.UnzipFolder(out.path());
    EXPECT_EQ(82, unzip.unzip());
    EXPECT_EQ(1u, listener.passwordAsked.size());
    EXPECT_TRUE(bralto::UnzipPasswordGivenUp());
    EXPECT_TRUE(FilesBelow(out.path()).empty());

    cUnzip quiet;  // no listener: the first request gives up too
    quiet.ZipFile(Fixture(L"encrypted.zip"));
    quiet.UnzipFolder(out.path());
    EXPECT_EQ(82, quiet.unzip());
}

TEST(EngineExtraction, CancelStopsWithCode80) {
    ScratchFolder out(L"cancel");
    RecordingListener listener;
    listener.cancelAtCall = 2;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"many.zip"));
    unzip.UnzipFolder(out.path());
    EXPECT_EQ(80, unzip.unzip());
    EXPECT_EQ(2u, FilesBelow(out.path()).size());
}

TEST(EngineExtraction, HostileNamesAreRefusedAndNothingEscapes) {
    ScratchFolder out(L"hostile\\inside");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"hostile.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    EXPECT_EQ(2, unzip.unzip());
    EXPECT_EQ(std::vector<std::wstring>{L"ok.txt"}, FilesBelow(out.path()));
    EXPECT_TRUE(FilesBelow(out.path() + L"\\..").size() == 1u);
    EXPECT_FALSE(fs::exists(L"Z:\\evil2.txt"));
    EXPECT_FALSE(fs::exists(L"C:\\evil3.txt"));
    std::wstring all = listener.AllProgress();
    for (const wchar_t* name : {L"..\\evil1.txt", L"\\evil2.txt", L"C:\\evil3.txt", L"sub\\..\\..\\evil4.txt", L"CON"})
        EXPECT_NE(std::wstring::npos, all.find(L"skipping: " + std::wstring(name))) << name;
}

FILETIME LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    return data.ftLastWriteTime;
}

TEST(EngineExtraction, TimesAndReadOnlyAttributeAreRestored) {
    ScratchFolder out(L"attributes");
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"zip9.zip"));
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    FILETIME original = LastWriteTime(Fixture(L"src\\readme.txt"));
    FILETIME extracted = LastWriteTime(out / L"readme.txt");
    EXPECT_EQ(original.dwLowDateTime, extracted.dwLowDateTime);
    EXPECT_EQ(original.dwHighDateTime, extracted.dwHighDateTime);

    cUnzip readOnly;
    readOnly.ZipFile(Fixture(L"attributes.zip"));
    readOnly.UnzipFolder(out.path());
    ASSERT_EQ(0, readOnly.unzip());
    DWORD attributes = GetFileAttributesW((out / L"readonly.txt").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);

    // Overwriting a read-only file works (its attribute is lifted first).
    readOnly.OverwriteExisting(true);
    EXPECT_EQ(0, readOnly.unzip());
    EXPECT_EQ("lecture seule\n", ReadBytes(out / L"readonly.txt"));
}

TEST(EngineExtraction, PathsLongerThanMaxPath) {
    ScratchFolder out(L"deep");
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"deep.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    wchar_t full[MAX_PATH * 2];
    DWORD length = GetFullPathNameW(out.path().c_str(), MAX_PATH * 2, full, nullptr);
    std::wstring member = std::wstring(L"\\\\?\\") + std::wstring(full, length) + L"\\" + std::wstring(100, L'd') +
                          L"\\" + std::wstring(100, L'e') + L"\\" + std::wstring(80, L'f') + L".txt";
    EXPECT_GT(member.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ("deep member", ReadBytes(member));
    std::error_code ignored;
    fs::remove_all(std::wstring(L"\\\\?\\") + std::wstring(full, length), ignored);
}

TEST(EngineExtraction, UnsupportedAndCorruptMembers) {
    ScratchFolder out(L"unsupported");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"unsupported.zip"));
    unzip.UnzipFolder(out.path());
    EXPECT_EQ(81, unzip.unzip());
    EXPECT_NE(std::wstring::npos, listener.AllProgress().find(L"unsupported compression method 98 (PPMd)"));
    EXPECT_EQ(std::vector<std::wstring>{L"ok.txt"}, FilesBelow(out.path()));

    cUnzip corrupt;
    corrupt.ZipFile(Fixture(L"corrupt.zip"));
    corrupt.UnzipFolder(out.path());
    EXPECT_EQ(2, corrupt.unzip());
    // No partial file under the final name, no temporary file left.
    EXPECT_EQ(std::vector<std::wstring>{L"ok.txt"}, FilesBelow(out.path()));
}

TEST(EngineTesting, TestReportsAndWritesNothing) {
    ScratchFolder out(L"test");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"zip9.zip"));
    unzip.TestZip(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ(L"No errors detected in compressed data of " + Fixture(L"zip9.zip") + L".\n", listener.progress.back());
    EXPECT_TRUE(FilesBelow(out.path()).empty());

    RecordingListener bad;
    cUnzip corrupt;
    corrupt.SetListener(&bad);
    corrupt.ZipFile(Fixture(L"corrupt.zip"));
    corrupt.TestZip(true);
    EXPECT_EQ(2, corrupt.unzip());
    EXPECT_NE(std::wstring::npos, bad.AllProgress().find(L"bad.txt   bad CRC"));
}

TEST(EngineComment, CommentArrivesAsOneProgressUnlessTooLong) {
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"comment.zip"));
    unzip.DisplayComment(true);
    ASSERT_EQ(0, unzip.unzip());
    ASSERT_EQ(2u, listener.progress.size());
    EXPECT_EQ(L"Commentaire de l archive", listener.progress[0]);
    EXPECT_EQ(std::wstring(L"\n\n\0", 3), listener.progress[1]);

    RecordingListener longComment;
    cUnzip second;
    second.SetListener(&longComment);
    second.ZipFile(Fixture(L"longcomment.zip"));
    second.DisplayComment(true);
    ASSERT_EQ(0, second.unzip());
    ASSERT_EQ(1u, longComment.progress.size());  // 40,000 bytes: dropped
}

}  // namespace
}  // namespace unziptest
