// cZip's option properties as the library receives them in ZPOPT, its
// file specification list, and the limits RunZip enforces before the
// library is called.
#include "AutomationError.h"
#include "ZipTestSupport.h"
#include "cZip.h"

namespace ziptest {
namespace {

constexpr size_t kCommentBufferBytes = 4200;

using bralto::cZip;

TEST(ZipOptions, StartUpValues) {
    cZip zip;
    EXPECT_TRUE(zip.StoreDirectories());
    EXPECT_FALSE(zip.StoreFolderNames());
    EXPECT_FALSE(zip.RecurseSubDirs());
    EXPECT_EQ(6, zip.CompressionLevel());
    EXPECT_EQ(2, zip.MessageLevel());
    EXPECT_FALSE(zip.AllowAppend());
    EXPECT_FALSE(zip.Encrypt());
    EXPECT_EQ(L"", zip.ZipFile());
    EXPECT_EQ(L"", zip.BasePath());
    const ZPOPT& record = zip.Record();
    EXPECT_EQ(0, record.fNoDirEntries);
    EXPECT_EQ(1, record.fJunkDir);
    EXPECT_EQ(0, record.fRecurse);
    EXPECT_EQ('6', record.fLevel);
    EXPECT_EQ(0, record.fDeleteEntries);
    EXPECT_EQ(0, record.fEncrypt + record.fSystem + record.fVolume + record.fUpdate + record.fFreshen + record.fMove +
                     record.fComment + record.fGrow + record.fVerbose + record.fQuiet);
}

TEST(ZipOptions, InvertedAndEncodedFields) {
    cZip zip;
    zip.StoreDirectories(false);
    EXPECT_EQ(1, zip.Record().fNoDirEntries);
    zip.StoreFolderNames(true);
    EXPECT_EQ(0, zip.Record().fJunkDir);
    zip.RecurseSubDirs(true);
    EXPECT_EQ(2, zip.Record().fRecurse);
    EXPECT_TRUE(zip.RecurseSubDirs());
    zip.CompressionLevel(9);
    EXPECT_EQ('9', zip.Record().fLevel);
    EXPECT_EQ(9, zip.CompressionLevel());
    zip.CompressionLevel(0);
    EXPECT_EQ('0', zip.Record().fLevel);
    zip.Encrypt(true);
    zip.IncludeSystemAndHiddenFiles(true);
    zip.UpdateOnlyIfNewer(true);
    zip.ConvertLFToCRLF(true);
    EXPECT_EQ(1, zip.Record().fEncrypt);
    EXPECT_EQ(1, zip.Record().fSystem);
    EXPECT_EQ(1, zip.Record().fUpdate);
    EXPECT_EQ(1, zip.Record().fLF_CRLF);
    zip.AllowAppend(true);
    EXPECT_EQ(1, zip.Record().fGrow);
    EXPECT_TRUE(zip.AllowAppend());
}

TEST(ZipOptions, MessageLevelWritesTwoFields) {
    cZip zip;
    zip.MessageLevel(0);
    EXPECT_EQ(1, zip.Record().fVerbose);
    EXPECT_EQ(0, zip.Record().fQuiet);
    EXPECT_EQ(0, zip.MessageLevel());
    zip.MessageLevel(1);
    EXPECT_EQ(0, zip.Record().fVerbose);
    EXPECT_EQ(1, zip.Record().fQuiet);
    EXPECT_EQ(1, zip.MessageLevel());
    zip.MessageLevel(5);  // changes nothing
    EXPECT_EQ(0, zip.Record().fVerbose);
    EXPECT_EQ(1, zip.Record().fQuiet);
    zip.MessageLevel(2);
    EXPECT_EQ(0, zip.Record().fVerbose + zip.Record().fQuiet);
    EXPECT_EQ(2, zip.MessageLevel());
}

TEST(ZipOptions, BasePathIsTheRootFolder) {
    cZip zip;
    zip.BasePath(L"C:\\Données");
    EXPECT_EQ(L"C:\\Données", zip.BasePath());
    EXPECT_STREQ(
        "C:\\Donn\xe9"
        "es",
        zip.Record().szRootDir);  // code page 1252
}

TEST(ZipFileSpecs, ListIndexedFromOne) {
    cZip zip;
    EXPECT_EQ(0, zip.AddFileSpec(L"a.txt"));
    EXPECT_EQ(0, zip.AddFileSpec(L"a.txt"));
    EXPECT_EQ(0, zip.AddFileSpec(L"C:\\dossier\\*.*"));
    EXPECT_EQ(3, zip.FileSpecCount());
    EXPECT_EQ(L"C:\\dossier\\*.*", zip.FileSpec(3));
    try {
        zip.FileSpec(4);
        FAIL() << "no error for index 4";
    } catch (const bralto::AutomationError& error) {
        EXPECT_EQ(9, error.Number());
        EXPECT_EQ(bralto::ExecutableBaseName() + L".cZip", error.Source());
    }
    EXPECT_THROW(zip.FileSpec(0), bralto::AutomationError);
    zip.ClearFileSpecs();
    EXPECT_EQ(0, zip.FileSpecCount());
}

TEST(ZipLimits, MoreThan1023SpecsFailBeforeTheLibrary) {
    fs::path folder = TestFolder();
    cZip zip;
    RecordingListener listener;
    zip.SetListener(&listener);
    zip.ZipFile((folder / "never.zip").wstring());
    WriteFile(folder / "a.txt", "a");
    for (int i = 0; i < 1024; ++i) zip.AddFileSpec((folder / "a.txt").wstring());
    try {
        zip.Zip();
        FAIL() << "1024 specifications were accepted";
    } catch (const bralto::AutomationError& error) {
        EXPECT_EQ(9, error.Number());
        EXPECT_EQ(bralto::ExecutableBaseName() + L".VBZip", error.Source());
    }
    EXPECT_FALSE(fs::exists(folder / "never.zip"));
    EXPECT_TRUE(listener.progress.empty());
    EXPECT_EQ(nullptr, bralto::CurrentZipListener());

    zip.ClearFileSpecs();
    for (int i = 0; i < 1023; ++i) zip.AddFileSpec((folder / "a.txt").wstring());
    EXPECT_EQ(0, zip.Zip());  // the same file named 1023 times: one member
    ArchiveView view(folder / "never.zip");
    ASSERT_TRUE(view.Ok());
    EXPECT_EQ(1u, view.Members().size());
}

TEST(ZipLimits, DeleteLeavesDeleteModeOff) {
    fs::path folder = TestFolder();
    cZip zip;
    zip.ZipFile((folder / "missing.zip").wstring());
    zip.AddFileSpec(L"x.txt");
    EXPECT_EQ(13, zip.Delete());
    EXPECT_EQ(0, zip.Record().fDeleteEntries);
}

// The module's callbacks as the library calls them, exercised while a job
// runs (the only time they have a listener): size limits of the texts and
// buffers they exchange.
TEST(ZipCallbacks, TextAndBufferLimits) {
    fs::path folder = TestFolder();
    WriteFile(folder / "a.txt", "a");
    cZip zip;
    RecordingListener listener;
    zip.SetListener(&listener);
    zip.ZipFile((folder / "limits.zip").wstring());
    zip.AddFileSpec((folder / "a.txt").wstring());
    listener.password = std::wstring(300, L'p');
    listener.comment = std::wstring(5000, L'c');
    bool checked = false;
    listener.cancelOn = [&](const std::wstring&) {
        size_t before = listener.progress.size();
        std::string text(32000, 'x');
        bralto::ZipPrintCallback(text.data(), 1);
        bralto::ZipPrintCallback(text.data(), 32000);
        EXPECT_EQ(before, listener.progress.size());
        bralto::ZipPrintCallback(text.data(), 31999);
        EXPECT_EQ(before + 1, listener.progress.size());
        text = "a/b/c";
        bralto::ZipPrintCallback(text.data(), 5);
        EXPECT_EQ(L"a\\b\\c", listener.progress.back());

        std::vector<char> password(8, 'z');
        EXPECT_EQ(0, bralto::ZipPasswordCallback(password.data(), 8, "", ""));
        EXPECT_EQ(std::string("ppppppp"), std::string(password.data()));  // size less one, then a NUL
        std::vector<char> large(1000, 'z');
        EXPECT_EQ(0, bralto::ZipPasswordCallback(large.data(), 1000, "", ""));
        EXPECT_EQ(255u, std::string(large.data()).size());  // at most 256 less one

        std::vector<char> comment(kCommentBufferBytes, 'z');
        EXPECT_EQ(1, bralto::ZipCommentCallback(comment.data()));
        EXPECT_EQ(4096u, std::string(comment.data()).size());
        EXPECT_EQ('z', comment[4097]);  // nothing written past the 4097 bytes
        checked = true;
        return false;
    };
    ASSERT_EQ(0, zip.Zip());
    EXPECT_TRUE(checked);
}

// The library's own entry points, as any caller of the published
// interface uses them.
TEST(ZipLibraryExports, OptionsAreCopiedAndBadCallsRefused) {
    HMODULE library = LoadLibraryW(L"qnrz320.dll");
    ASSERT_NE(nullptr, library);
    auto init = reinterpret_cast<ZpInitFunction>(reinterpret_cast<void*>(GetProcAddress(library, "ZpInit")));
    auto setOptions =
        reinterpret_cast<ZpSetOptionsFunction>(reinterpret_cast<void*>(GetProcAddress(library, "ZpSetOptions")));
    using GetOptions = ZPOPT(WINAPI*)(void);
    auto getOptions = reinterpret_cast<GetOptions>(reinterpret_cast<void*>(GetProcAddress(library, "ZpGetOptions")));
    auto archive = reinterpret_cast<ZpArchiveFunction>(reinterpret_cast<void*>(GetProcAddress(library, "ZpArchive")));
    ASSERT_TRUE(init && setOptions && getOptions && archive);

    EXPECT_EQ(0, init(nullptr));
    ZIPUSERFUNCTIONS none{};
    EXPECT_NE(0, init(&none));  // no callbacks at all is allowed

    std::string root = "C:\\racine";
    ZPOPT options{};
    options.szRootDir = root.data();
    options.fLevel = '3';
    options.fRecurse = 2;
    EXPECT_TRUE(setOptions(&options));
    root.assign(root.size(), 'x');  // the library kept its own copy
    ZPOPT stored = getOptions();
    EXPECT_STREQ("C:\\racine", stored.szRootDir);
    EXPECT_EQ('3', stored.fLevel);
    EXPECT_EQ(2, stored.fRecurse);

    ZCL noArchive{0, nullptr, nullptr};
    EXPECT_EQ(16, archive(noArchive));
    char empty[] = "";
    ZCL emptyArchive{0, empty, nullptr};
    EXPECT_EQ(16, archive(emptyArchive));
    FreeLibrary(library);
}

}  // namespace
}  // namespace ziptest
