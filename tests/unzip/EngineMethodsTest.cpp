// Archives with the methods other tools write (Deflate64, BZip2, LZMA) and
// with WinZip AES encryption, through cUnzip as Bralto and the server call
// the library: listed with their method and encryption mark, tested, and
// extracted byte-identical; AES decrypted by Windows CNG, a wrong password
// told apart from altered data.
#include "UnzipTestSupport.h"
#include "cUnzip.h"

namespace unziptest {
namespace {

using bralto::cUnzip;

void ExpectSameFiles(const std::wstring& original, const std::wstring& extracted) {
    std::vector<std::wstring> files = FilesBelow(original);
    ASSERT_EQ(files, FilesBelow(extracted));
    for (const std::wstring& file : files)
        EXPECT_EQ(ReadBytes(original + L"\\" + file), ReadBytes(extracted + L"\\" + file)) << file;
}

// Extracts `archive` with folder names into `out`.
long Extract(const std::wstring& archive, const std::wstring& out, RecordingListener& listener) {
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(archive));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out);
    return unzip.unzip();
}

long TestArchive(const std::wstring& archive, RecordingListener& listener) {
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(archive));
    unzip.TestZip(true);
    return unzip.unzip();
}

std::wstring MethodOf(const std::wstring& archive, const std::wstring& name, bool& encrypted) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(archive));
    EXPECT_EQ(0, unzip.Directory());
    for (long i = 1; i <= unzip.FileCount(); ++i) {
        if (unzip.Filename(i) != name) continue;
        encrypted = unzip.FileEncrypted(i);
        return unzip.FileCompressionMethod(i);
    }
    return L"<missing>";
}

TEST(EngineMethods, OtherMethodsListTestAndExtract) {
    struct Case {
        const wchar_t* archive;
        const wchar_t* method;
    };
    for (const Case& c : {Case{L"method-Deflate64.zip", L"Def64#"}, Case{L"method-BZip2.zip", L"BZip2"},
                          Case{L"method-LZMA.zip", L"LZMA"}}) {
        SCOPED_TRACE(c.archive);
        bool encrypted = true;
        EXPECT_EQ(c.method, MethodOf(c.archive, L"readme.txt", encrypted));
        EXPECT_FALSE(encrypted);
        RecordingListener tester;
        EXPECT_EQ(0, TestArchive(c.archive, tester));
        EXPECT_NE(std::wstring::npos, tester.AllProgress().find(L"No errors detected"));
        ScratchFolder out(L"methods");
        RecordingListener listener;
        ASSERT_EQ(0, Extract(c.archive, out.path(), listener)) << listener.AllProgress();
        ExpectSameFiles(Fixture(L"src"), out.path());
        EXPECT_NE(std::wstring::npos, listener.AllProgress().find(L"  inflating: " + out.path() + L"\\readme.txt"));
    }
}

TEST(EngineMethods, PythonBzip2AndLzmaExtract) {
    ScratchFolder out(L"python-methods");
    RecordingListener listener;
    ASSERT_EQ(0, Extract(L"python-methods.zip", out.path(), listener)) << listener.AllProgress();
    ExpectSameFiles(Fixture(L"src"), out.path());
}

TEST(EngineAes, EachStrengthDecryptsWithThePassword) {
    for (const wchar_t* archive : {L"aes128.zip", L"aes192.zip", L"aes256.zip"}) {
        SCOPED_TRACE(archive);
        bool encrypted = false;
        EXPECT_EQ(0u, MethodOf(archive, L"readme.txt", encrypted).rfind(L"Defl:", 0));
        EXPECT_TRUE(encrypted);

        RecordingListener tester;
        tester.passwordAnswers = {L"motdepasse"};
        EXPECT_EQ(0, TestArchive(archive, tester)) << tester.AllProgress();
        EXPECT_EQ(1u, tester.passwordAsked.size());

        ScratchFolder out(L"aes");
        RecordingListener listener;
        listener.passwordAnswers = {L"motdepasse"};
        ASSERT_EQ(0, Extract(archive, out.path(), listener)) << listener.AllProgress();
        ExpectSameFiles(Fixture(L"src"), out.path());
        EXPECT_EQ(1u, listener.passwordAsked.size());
    }
}

TEST(EngineAes, AWrongPasswordIsAskedAgainThenGivesCode82) {
    ScratchFolder out(L"aes-wrong");
    RecordingListener listener;
    listener.passwordAnswers = {L"faux", L"motdepasse"};
    ASSERT_EQ(0, Extract(L"aes256.zip", out.path(), listener)) << listener.AllProgress();
    EXPECT_EQ(2u, listener.passwordAsked.size());

    ScratchFolder none(L"aes-wrong-only");
    RecordingListener wrong;
    wrong.passwordAnswers = {L"faux", L"faux", L"faux"};
    EXPECT_EQ(82, Extract(L"aes256.zip", none.path(), wrong));
    EXPECT_NE(std::wstring::npos, wrong.AllProgress().find(L"incorrect password"));
    EXPECT_TRUE(FilesBelow(none.path()).empty());
}

TEST(EngineAes, AlteredDataFailsAuthenticationAndLeavesNoFile) {
    ScratchFolder out(L"aes-altered");
    RecordingListener listener;
    listener.passwordAnswers = {L"motdepasse"};
    EXPECT_EQ(2, Extract(L"aes-altered.zip", out.path(), listener));
    EXPECT_NE(std::wstring::npos,
              listener.AllProgress().find(L"readme.txt   authentication failed (damaged or altered data)"))
        << listener.AllProgress();
    EXPECT_FALSE(fs::exists(out / L"readme.txt"));
    EXPECT_EQ(ReadBytes(Fixture(L"src\\random.bin")), ReadBytes(out / L"random.bin"));

    RecordingListener tester;
    tester.passwordAnswers = {L"motdepasse"};
    EXPECT_EQ(2, TestArchive(L"aes-altered.zip", tester));
    EXPECT_NE(std::wstring::npos, tester.AllProgress().find(L"1 error detected"));
}

}  // namespace
}  // namespace unziptest
