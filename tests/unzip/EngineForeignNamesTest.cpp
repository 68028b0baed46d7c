// Names written by other systems, through cUnzip and qnruz320.dll in the
// French prefix (ANSI 1252, OEM 850): raw UTF-8 names of Info-ZIP's zip on
// Linux, Unicode Path fields, and names the ANSI code page cannot carry.
// One name per member everywhere: listing, files written, messages,
// questions, selection.
#include <sstream>

#include "UnzipTestSupport.h"
#include "cUnzip.h"
#include "mUnzip.h"

namespace unziptest {
namespace {

using bralto::cUnzip;

// A member's path as the listing gives it: folder, '\', name.
std::wstring ListedPath(const cUnzip& unzip, long index) {
    std::wstring folder = unzip.FileDirectory(index);
    return folder.empty() ? unzip.Filename(index) : folder + L"\\" + unzip.Filename(index);
}

std::vector<std::wstring> Listing(const std::wstring& archive) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(archive));
    EXPECT_EQ(0, unzip.Directory());
    std::vector<std::wstring> paths;
    for (long i = 1; i <= unzip.FileCount(); ++i) paths.push_back(ListedPath(unzip, i));
    return paths;
}

// The names a peer listed (made beside the fixtures), with '\' separators.
std::vector<std::wstring> PeerListing(const std::wstring& file) {
    std::istringstream lines(ReadBytes(Fixture(file)));
    std::vector<std::wstring> names;
    for (std::string line; std::getline(lines, line);) {
        std::wstring name = Utf8ToWide(line);
        std::replace(name.begin(), name.end(), L'/', L'\\');
        names.push_back(name);
    }
    return names;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& wanted) {
    return std::find(texts.begin(), texts.end(), wanted) != texts.end();
}

TEST(EngineForeignNames, FrenchCodePages) {
    // What every expectation below assumes.
    EXPECT_EQ(1252u, GetACP());
    EXPECT_EQ(850u, GetOEMCP());
}

TEST(EngineForeignNames, ListingsAgreeWithUnzipAndSevenZip) {
    for (const wchar_t* name : {L"unix.zip", L"unicode-path.zip"}) {
        SCOPED_TRACE(name);
        std::vector<std::wstring> ours = Listing(name);
        EXPECT_EQ(PeerListing(std::wstring(name) + L".unzip-names"), ours);
        EXPECT_EQ(PeerListing(std::wstring(name) + L".7zz-names"), ours);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"café.txt", L"dossier\\été.txt"}), Listing(L"unix.zip"));
    // The stale field (its CRC is another name's) is ignored.
    EXPECT_EQ((std::vector<std::wstring>{L"nouveau-é.txt", L"stale.txt"}), Listing(L"unicode-path.zip"));
}

TEST(EngineForeignNames, ExtractionWritesTheListedNamesAndSaysThem) {
    ScratchFolder out(L"foreign");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"unix.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ((std::vector<std::wstring>{L"café.txt", L"dossier\\été.txt"}), FilesBelow(out.path()));
    EXPECT_EQ("crème\n", ReadBytes(out / L"café.txt"));
    // Small members are stored: " extracting: PATH".
    EXPECT_TRUE(Contains(listener.progress, L" extracting: " + (out / L"café.txt")));
    EXPECT_TRUE(Contains(listener.progress, L" extracting: " + (out / L"dossier\\été.txt")));
    EXPECT_EQ((std::vector<std::wstring>{L"café.txt", L"dossier\\", L"dossier\\été.txt"}), listener.cancelAsked);

    // Again: the overwrite question names the same files.
    RecordingListener again;
    unzip.SetListener(&again);
    unzip.PromptToOverwrite(true);
    ASSERT_EQ(0, unzip.unzip());
    EXPECT_EQ((std::vector<std::wstring>{out / L"café.txt", out / L"dossier\\été.txt"}), again.overwriteAsked);
}

TEST(EngineForeignNames, PasswordQuestionAndTestUseTheListedName) {
    ScratchFolder out(L"foreign-password");
    RecordingListener listener;
    listener.passwordAnswers = {L"sésame"};
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"unix-encrypted.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    // The password typed on Linux was UTF-8: it still opens both members,
    // and the one question names the first member as the listing does.
    EXPECT_EQ(std::vector<std::wstring>{L"dossier\\été.txt"}, listener.passwordAsked);
    EXPECT_EQ("crème\n", ReadBytes(out / L"café.txt"));

    RecordingListener tester;
    cUnzip test;
    test.SetListener(&tester);
    test.ZipFile(Fixture(L"unix.zip"));
    test.TestZip(true);
    test.MessageLevel(0);
    ASSERT_EQ(0, test.unzip());
    EXPECT_NE(std::wstring::npos, tester.AllProgress().find(L"testing: café.txt   OK"));
    EXPECT_NE(std::wstring::npos, tester.AllProgress().find(L"testing: dossier\\été.txt   OK"));
}

TEST(EngineForeignNames, NamesOutsideTheCodePageAreEscapedNeverLookAlikes) {
    // Ωmega.txt, Omega.txt, a real "#U03A9mega.txt", and full-width dots
    // and backslash that best fit would turn into "..\".
    std::vector<std::wstring> listed = Listing(L"lookalikes.zip");
    EXPECT_EQ((std::vector<std::wstring>{L"#U03A9mega.txt", L"Omega.txt", L"#U0023U03A9mega.txt",
                                         L"#UFF0E#UFF0E#UFF3Cevil.txt"}),
              listed);
    EXPECT_EQ(PeerListing(L"lookalikes.zip.unzip-names").size(), listed.size());
}

TEST(EngineForeignNames, EachEscapedMemberIsSelectedAloneAndWrittenUnderItsRealName) {
    const std::vector<std::wstring> real = PeerListing(L"lookalikes.zip.unzip-names");
    for (long chosen = 1; chosen <= static_cast<long>(real.size()); ++chosen) {
        SCOPED_TRACE(real[chosen - 1]);
        ScratchFolder out(L"lookalike");
        RecordingListener listener;
        cUnzip unzip;
        unzip.SetListener(&listener);
        unzip.ZipFile(Fixture(L"lookalikes.zip"));
        ASSERT_EQ(0, unzip.Directory());
        for (long i = 1; i <= unzip.FileCount(); ++i) unzip.FileSelected(i, i == chosen);
        unzip.UnzipFolder(out.path());
        ASSERT_EQ(0, unzip.unzip());
        EXPECT_EQ(std::vector<std::wstring>{real[chosen - 1]}, FilesBelow(out.path()));

        // The overwrite question names the file inside the folder, in the
        // listing's spelling; no message names a parent folder.
        RecordingListener again;
        unzip.SetListener(&again);
        unzip.PromptToOverwrite(true);
        ASSERT_EQ(0, unzip.unzip());
        ASSERT_EQ(1u, again.overwriteAsked.size());
        EXPECT_EQ(out / unzip.Filename(chosen), again.overwriteAsked[0]);
        for (std::wstring text : listener.progress) {
            size_t folder = text.find(out.path());
            if (folder != std::wstring::npos) text.erase(folder, out.path().size());
            EXPECT_EQ(std::wstring::npos, text.find(L"..")) << text;
        }
    }
}

TEST(EngineForeignNames, AFolderOutsideTheCodePageIsNeverTakenForALookAlike) {
    // Best fit would turn "Ωdossier" into "Odossier", an existing folder:
    // the job must fail rather than write there.
    ScratchFolder out(L"lookalike-folder");
    fs::create_directories(out / L"Odossier");
    EXPECT_EQ("?", bralto::ToAnsi(L"Ω"));
    EXPECT_EQ("caf\xe9", bralto::ToAnsi(L"café"));
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"unix.zip"));
    unzip.UnzipFolder(out / L"Ωdossier");
    EXPECT_NE(0, unzip.unzip());
    EXPECT_TRUE(FilesBelow(out.path()).empty());
}

}  // namespace
}  // namespace unziptest
