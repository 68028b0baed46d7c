// cZip's option properties as the library receives them in ZPOPT, its
// file specification list, and the limits RunZip enforces before the
// library is called.
#include "EngineError.h"
#include "ZipTestSupport.h"
#include "cZip.h"

namespace ziptest {
namespace {

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
    EXPECT_EQ(0, record.fEncrypt + record.fSystem + record.fVolume + record.fUpdate + record.fFreshen +
                     record.fMove + record.fComment + record.fGrow + record.fVerbose + record.fQuiet);
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
    EXPECT_STREQ("C:\\Donn\xe9" "es", zip.Record().szRootDir);  // code page 1252
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
