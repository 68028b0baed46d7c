// Extraction on Windows of archives that try the file system: names
// nested too deep or too long for it, a process killed in the middle of a
// member, and folder times that must survive the files written into them.
#include "UnzipTestSupport.h"
#include "cUnzip.h"

namespace unziptest {
namespace {

using bralto::cUnzip;

// Each nested folder costs a call that walks the whole path again: such
// names are refused before any folder is made, with a message that fits
// in one progress event.
TEST(EngineHostile, NamesTooDeepOrTooLongAreRefusedAtOnce) {
    ScratchFolder out(L"nested");
    RecordingListener listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"nested.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(2, unzip.unzip());
    const ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_EQ(std::vector<std::wstring>{L"ok.txt"}, FilesBelow(out.path()));
    std::error_code ignored;
    EXPECT_EQ(1, std::distance(fs::directory_iterator(out.path(), ignored), fs::directory_iterator()));
    const std::wstring all = listener.AllProgress();
    size_t tooDeep = 0;
    for (const std::wstring& line : listener.progress)
        tooDeep += line.find(L"refused: folders nested more than 512 levels deep") != std::wstring::npos;
    EXPECT_EQ(2u, tooDeep) << "both deep names are refused by their depth";
    EXPECT_NE(std::wstring::npos, all.find(L"refused: a name in the path is longer than the file system allows"));
    // Not a timed assertion: the figure says whether the refusal came before the folders.
    std::printf("nested.zip refused in %llu ms\n", static_cast<unsigned long long>(elapsed));
}

// Stored folder times are set after the files inside are written.
TEST(EngineHostile, FolderTimesAreRestored) {
    ScratchFolder out(L"dirtimes");
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"dirtimes.zip"));
    unzip.UseFolderNames(true);
    unzip.UnzipFolder(out.path());
    ASSERT_EQ(0, unzip.unzip());
    auto localTime = [](const std::wstring& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        EXPECT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) << path;
        FILETIME local{};
        SYSTEMTIME when{};
        FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &when);
        wchar_t text[32];
        swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", when.wYear, when.wMonth, when.wDay, when.wHour,
                 when.wMinute, when.wSecond);
        return std::wstring(text);
    };
    EXPECT_EQ(L"2001-02-03 04:05:06", localTime(out / L"d"));
    EXPECT_EQ(L"2002-03-04 05:06:08", localTime(out / L"d\\e"));
    EXPECT_EQ(L"2003-04-05 06:07:08", localTime(out / L"d\\e\\f.txt"));
}

// Runs the crash helper on twofiles.zip; it dies when big.bin starts.
DWORD ExtractAndDie(const std::wstring& folder, bool overwrite) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::path helper = fs::path(self).parent_path() / "unzip_crash_helper.exe";
    std::wstring command = L"\"" + helper.wstring() + L"\" \"" + Fixture(L"twofiles.zip") + L"\" \"" + folder + L"\"" +
                           (overwrite ? L" overwrite" : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::vector<std::wstring> EntriesOf(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code ignored;
    for (auto& entry : fs::directory_iterator(folder, ignored)) names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

// A process killed while it writes a member leaves neither a temporary
// file nor a partial file under the member's name; an existing file that
// was being replaced stays as it was.
TEST(EngineHostile, AKilledExtractionLeavesNoPartialFile) {
    ScratchFolder fresh(L"killed-fresh");
    ASSERT_EQ(77u, ExtractAndDie(fresh.path(), false));
    EXPECT_EQ(std::vector<std::wstring>{L"small.txt"}, EntriesOf(fresh.path()));
    EXPECT_EQ("small", ReadBytes(fresh / L"small.txt"));

    ScratchFolder existing(L"killed-existing");
    {
        FILE* file = _wfopen((existing / L"big.bin").c_str(), L"wb");
        ASSERT_NE(nullptr, file);
        fputs("the old big.bin", file);
        fclose(file);
    }
    const std::vector<std::wstring> here = EntriesOf(L".");
    ASSERT_EQ(77u, ExtractAndDie(existing.path(), true));
    EXPECT_EQ((std::vector<std::wstring>{L"big.bin", L"small.txt"}), EntriesOf(existing.path()));
    EXPECT_EQ("the old big.bin", ReadBytes(existing / L"big.bin"));
    EXPECT_EQ(here, EntriesOf(L".")) << "the temporary file belongs beside its target, not in the current folder";
}

// The temporary file of a replaced member is made beside it, whatever
// separator ends the extraction folder: elsewhere it might be on another
// volume, where no rename can bring it.
TEST(EngineHostile, AReplacedFileIsWrittenBesideItself) {
    ScratchFolder out(L"replaced");
    for (const wchar_t* name : {L"small.txt", L"big.bin"}) {
        FILE* file = _wfopen((out / name).c_str(), L"wb");
        ASSERT_NE(nullptr, file);
        fclose(file);
    }
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    ScratchFolder elsewhere(L"replaced-current");
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.path().c_str()));
    // The temporary file would appear in the current folder while big.bin is written.
    struct Watcher : RecordingListener {
        std::vector<std::wstring> seen;
        void Progress(const std::wstring& message) override {
            RecordingListener::Progress(message);
            for (const std::wstring& name : EntriesOf(L".")) seen.push_back(name);
        }
    } listener;
    cUnzip unzip;
    unzip.SetListener(&listener);
    unzip.ZipFile(Fixture(L"twofiles.zip"));
    unzip.OverwriteExisting(true);
    unzip.UnzipFolder(out.path());
    EXPECT_EQ(0, unzip.unzip()) << listener.AllProgress();
    SetCurrentDirectoryW(current);
    EXPECT_TRUE(listener.seen.empty()) << listener.seen.front();
    EXPECT_EQ("small", ReadBytes(out / L"small.txt"));
    EXPECT_EQ((std::vector<std::wstring>{L"big.bin", L"small.txt"}), EntriesOf(out.path()));
}

}  // namespace
}  // namespace unziptest
