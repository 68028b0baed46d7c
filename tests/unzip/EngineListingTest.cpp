// Listing through cUnzip, as Bralto opens an archive: the member directory
// agrees with Python's view of archives written by zip and 7-Zip; names
// arrive in the ANSI code page; the totals and edge cases of the engine.
#include <cmath>
#include <fstream>
#include <sstream>

#include "AutomationError.h"
#include "UnzipTestSupport.h"
#include "cUnzip.h"
#include "mUnzip.h"

namespace unziptest {
namespace {

using bralto::cUnzip;

struct ExpectedMember {
    std::wstring path;  // backslashes
    long size, packed;
    unsigned long crc;
    int year, month, day, hour, minute;
    int method;
    bool encrypted;
};

std::vector<ExpectedMember> PythonListing(const std::wstring& archive) {
    std::ifstream in(Fixture(archive + L".listing").c_str());
    std::vector<ExpectedMember> members;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream s(line);
        std::string field;
        while (std::getline(s, field, '|')) f.push_back(field);
        if (f.size() != 7 || f[0].back() == '/') continue;  // folders are not recorded
        ExpectedMember m{};
        m.path = Utf8ToWide(f[0]);
        std::replace(m.path.begin(), m.path.end(), L'/', L'\\');
        m.packed = std::stol(f[1]);
        m.size = std::stol(f[2]);
        m.crc = std::stoul(f[3]);
        sscanf(f[4].c_str(), "%d-%d-%d %d:%d", &m.year, &m.month, &m.day, &m.hour, &m.minute);
        m.method = std::stoi(f[5]);
        m.encrypted = f[6] == "1";
        members.push_back(m);
    }
    return members;
}

void ExpectDirectoryMatches(cUnzip& unzip, const std::wstring& archive) {
    std::vector<ExpectedMember> expected = PythonListing(archive);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(static_cast<long>(expected.size()), unzip.FileCount());
    for (long i = 1; i <= unzip.FileCount(); ++i) {
        const ExpectedMember& e = expected[static_cast<size_t>(i - 1)];
        std::wstring folder = unzip.FileDirectory(i);
        std::wstring path = folder.empty() ? unzip.Filename(i) : folder + L"\\" + unzip.Filename(i);
        EXPECT_EQ(e.path, path);
        EXPECT_EQ(e.packed, unzip.FilePackedSize(i)) << i;
        EXPECT_EQ(e.size, unzip.FileSize(i)) << i;
        EXPECT_EQ(e.crc, static_cast<unsigned long>(unzip.FileCRC(i))) << i;
        EXPECT_DOUBLE_EQ(bralto::MakeAutomationDate(e.year, e.month, e.day, e.hour, e.minute, 0), unzip.FileDate(i));
        EXPECT_EQ(e.encrypted, unzip.FileEncrypted(i));
        EXPECT_TRUE(unzip.FileSelected(i));
        std::wstring method = unzip.FileCompressionMethod(i);
        EXPECT_EQ(e.method == 0 ? L"Stored" : L"Defl:", e.method == 0 ? method : method.substr(0, 5));
        long expectedRatio = e.packed ? std::lround(100.0 * (e.packed - e.size) / e.packed) : 0;
        EXPECT_EQ(expectedRatio, unzip.FileCompressionRatio(i)) << i;
    }
}

TEST(EngineListing, ArchivesOfInfoZipMatchPython) {
    for (const wchar_t* name : {L"zip9.zip", L"zip0.zip", L"encrypted.zip"}) {
        SCOPED_TRACE(name);
        cUnzip unzip;
        unzip.ZipFile(Fixture(name));
        ASSERT_EQ(0, unzip.Directory());
        ExpectDirectoryMatches(unzip, name);
    }
}

TEST(EngineListing, NamesAreDecodedFromUtf8OrOem) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"names.zip"));
    ASSERT_EQ(0, unzip.Directory());
    ASSERT_EQ(3, unzip.FileCount());
    EXPECT_EQ(L"dossier", unzip.FileDirectory(1));
    EXPECT_EQ(L"café.txt", unzip.Filename(1));
    EXPECT_EQ(L"crème.txt", unzip.Filename(2));
    // Characters outside the ANSI code page cross the interface escaped.
    EXPECT_EQ(L"#U65E5#U672C.txt", unzip.Filename(3));
}

TEST(EngineListing, TotalsAndFolderSplitting) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"zip9.zip"));
    ASSERT_EQ(0, unzip.Directory());
    long total = 0, compressed = 0;
    for (long i = 1; i <= unzip.FileCount(); ++i) {
        total += unzip.FilePackedSize(i);
        compressed += unzip.FileSize(i);
    }
    EXPECT_EQ(total, unzip.TotalSize());
    EXPECT_EQ(compressed, unzip.TotalSizeCompressed());
    EXPECT_EQ(std::lround(100.0 * (total - compressed) / total), unzip.CompressionFactor());
    // The library counts the folder entries too; the directory drops them.
    EXPECT_GT(unzip.NumMembers(), unzip.FileCount());

    bool sawDeep = false;
    for (long i = 1; i <= unzip.FileCount(); ++i)
        if (unzip.Filename(i) == L"mixed.bin") {
            EXPECT_EQ(L"sub\\deeper", unzip.FileDirectory(i));
            sawDeep = true;
        }
    EXPECT_TRUE(sawDeep);
}

// Members of 3 GiB, 1 GiB, 512 MiB and a small one: the totals go past what
// 32 bits hold, the first member past what a signed 32-bit figure holds;
// all must be exact, as Python reads them.
TEST(EngineListing, SizesAndTotalsBeyondTwoAndFourGiBAreExact) {
    struct Sizes {
        std::wstring path;
        long long size, packed;
    };
    std::vector<Sizes> expected;
    std::ifstream in(Fixture(L"large-totals.zip.sizes").c_str());
    std::string name;
    long long size = 0, packed = 0, expectedSize = 0, expectedCompressed = 0;
    char separator = 0;
    while (std::getline(in, name, '|') && in >> size >> separator >> packed >> std::ws) {
        std::wstring path = Utf8ToWide(name);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        expected.push_back({path, size, packed});
        expectedSize += size;
        expectedCompressed += packed;
    }
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_GT(expected[0].size, 0x80000000LL);
    ASSERT_GT(expectedSize, 0x100000000LL);

    cUnzip unzip;
    unzip.ZipFile(Fixture(L"large-totals.zip"));
    ASSERT_EQ(0, unzip.Directory());
    ASSERT_EQ(4, unzip.FileCount());
    for (long i = 1; i <= unzip.FileCount(); ++i) {
        const Sizes& e = expected[static_cast<size_t>(i - 1)];
        const std::wstring folder = unzip.FileDirectory(i);
        EXPECT_EQ(e.path, folder.empty() ? unzip.Filename(i) : folder + L"\\" + unzip.Filename(i));
        EXPECT_EQ(e.size, unzip.FilePackedSize(i)) << i;
        EXPECT_EQ(e.packed, unzip.FileSize(i)) << i;
    }
    EXPECT_EQ(expectedSize, unzip.TotalSize());
    EXPECT_EQ(expectedCompressed, unzip.TotalSizeCompressed());
    EXPECT_EQ(4, unzip.NumMembers());
    EXPECT_EQ(std::lround(100.0 * (expectedSize - expectedCompressed) / expectedSize), unzip.CompressionFactor());

    // A second listing of the same archive gives the same totals, not twice them.
    unzip.ZipFile(Fixture(L"large-totals.zip"));
    ASSERT_EQ(0, unzip.Directory());
    EXPECT_EQ(expectedSize, unzip.TotalSize());
    EXPECT_EQ(expectedCompressed, unzip.TotalSizeCompressed());
}

TEST(EngineListing, ListingTwiceDoublesAndZipFileEmpties) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"names.zip"));
    unzip.Directory();
    unzip.Directory();
    ASSERT_EQ(6, unzip.FileCount());
    EXPECT_EQ(unzip.Filename(1), unzip.Filename(4));
    EXPECT_EQ(1, unzip.Record().nvflag);
    unzip.ZipFile(Fixture(L"names.zip"));
    EXPECT_EQ(0, unzip.FileCount());
}

TEST(EngineListing, IndexOutsideTheDirectoryRaisesError9) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"names.zip"));
    unzip.Directory();
    try {
        unzip.Filename(4);
        FAIL() << "no error";
    } catch (const bralto::AutomationError& error) {
        EXPECT_EQ(9, error.Number());
    }
    EXPECT_THROW(unzip.FileSelected(0, true), bralto::AutomationError);
}

TEST(EngineListing, EmptyMissingAndForeignArchives) {
    RecordingListener listener;
    cUnzip empty;
    empty.SetListener(&listener);
    empty.ZipFile(Fixture(L"empty.zip"));
    EXPECT_EQ(1, empty.Directory());
    ASSERT_FALSE(listener.progress.empty());
    EXPECT_NE(std::wstring::npos, listener.progress.back().find(L"zipfile is empty"));

    RecordingListener missing;
    cUnzip none;
    none.SetListener(&missing);
    none.ZipFile(Fixture(L"absent"));
    EXPECT_EQ(9, none.Directory());
    EXPECT_NE(std::wstring::npos, missing.progress.back().find(L"cannot find either"));

    RecordingListener foreign;
    cUnzip notZip;
    notZip.SetListener(&foreign);
    notZip.ZipFile(Fixture(L"notzip.zip"));
    EXPECT_EQ(9, notZip.Directory());
    EXPECT_NE(std::wstring::npos, foreign.progress.back().find(L"cannot find zipfile directory"));
}

TEST(EngineListing, IsValidArchiveAndVersion) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"zip9.zip"));
    EXPECT_EQ(0, unzip.IsValidArchive());
    unzip.ZipFile(Fixture(L"notzip.zip"));
    EXPECT_EQ(9, unzip.IsValidArchive());
    unzip.ZipFile(Fixture(L"absent.zip"));
    EXPECT_EQ(9, unzip.IsValidArchive());
    unzip.ZipFile(Fixture(L"empty.zip"));
    EXPECT_EQ(1, unzip.IsValidArchive());

    std::wstring zVersion, uzVersion, date;
    unzip.GetVersion(zVersion, uzVersion, date);
    EXPECT_EQ(L"2.3.2", zVersion);
    EXPECT_EQ(L"5.4.2", uzVersion);
    EXPECT_EQ(L"7 Dec 2026", date);
}

TEST(EngineListing, SevenZipArchiveListsEveryFile) {
    cUnzip unzip;
    unzip.ZipFile(Fixture(L"sevenzip.zip"));
    ASSERT_EQ(0, unzip.Directory());
    std::vector<std::wstring> names;
    for (long i = 1; i <= unzip.FileCount(); ++i)
        names.push_back(unzip.FileDirectory(i).empty() ? unzip.Filename(i)
                                                       : unzip.FileDirectory(i) + L"\\" + unzip.Filename(i));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FilesBelow(Fixture(L"src")), names);
}

}  // namespace
}  // namespace unziptest
