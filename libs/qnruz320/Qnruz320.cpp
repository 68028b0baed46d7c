// qnruz320.dll: the unzip library with Info-ZIP's UnZip DLL interface, a
// thin layer over the portable Zip core. No exception crosses the C
// boundary: failures become result codes.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <new>

#include <zlib.h>
// zlib.h defines zlib_version as a macro; the version record has a field
// of that name.
#undef zlib_version

#include "ArchiveReader.h"
#include "UnzipJob.h"
#include "WindowsUnzipHost.h"
#include "unzip_api.h"

namespace {

constexpr unsigned long kMaxULong = 0xFFFFFFFFul;

unsigned long Clamp32(uint64_t value) { return value > kMaxULong ? kMaxULong : static_cast<unsigned long>(value); }

std::vector<std::string> NameList(int count, char** names) {
    std::vector<std::string> list;
    if (!names || count <= 0) return list;
    for (int i = 0; i < count; ++i)
        if (names[i] && names[i][0]) list.emplace_back(names[i]);
    return list;
}

zipcore::UnzipOptions OptionsFrom(const DCL& dcl) {
    zipcore::UnzipOptions o;
    o.extractOnlyNewer = dcl.ExtractOnlyNewer != 0;
    o.spaceToUnderscore = dcl.SpaceToUnderscore != 0;
    o.promptToOverwrite = dcl.PromptToOverwrite != 0;
    o.quiet = dcl.fQuiet;
    o.test = dcl.ntflag != 0;
    o.list = dcl.nvflag != 0;
    o.freshen = dcl.nfflag != 0;
    o.displayComment = dcl.nzflag != 0;
    o.keepFolders = dcl.ndflag != 0;
    o.overwrite = dcl.noflag != 0;
    o.textConvert = dcl.naflag != 0;
    o.ignoreCase = dcl.C_flag != 0;
    o.archivePath = dcl.lpszZipFN;
    o.extractDir = dcl.lpszExtractDir ? dcl.lpszExtractDir : "";
    return o;
}

void StoreTotals(const zipcore::ListingTotals& totals, USERFUNCTIONS& user) {
    user.TotalSizeComp = Clamp32(totals.compressed);
    user.TotalSize = Clamp32(totals.uncompressed);
    user.CompFactor = totals.factor;
    user.NumMembers = static_cast<unsigned int>(Clamp32(totals.members));
    user.cchComment = static_cast<WORD>(totals.commentLength);
}

void CopyText(char* field, size_t size, const char* text) {
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

}  // namespace

extern "C" {

int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, LPDCL lpDCL, LPUSERFUNCTIONS lpUserFunc) {
    if (!lpDCL || !lpDCL->lpszZipFN || !lpDCL->lpszZipFN[0]) return PK_PARAM;
    try {
        zipcore::UnzipOptions options = OptionsFrom(*lpDCL);
        options.include = NameList(ifnc, ifnv);
        options.exclude = NameList(xfnc, xfnv);
        qnruz::WindowsUnzipHost host(lpUserFunc);
        zipcore::ListingTotals totals;
        int code = zipcore::RunUnzipJob(options, host, &totals);
        if (lpUserFunc && options.list && !options.test) StoreTotals(totals, *lpUserFunc);
        return code;
    } catch (const std::bad_alloc&) {
        return PK_MEM;
    } catch (...) {
        return PK_BADERR;
    }
}

int WINAPI Wiz_Validate(LPSTR archive, int AllCodes) {
    if (!archive || !archive[0]) return PK_PARAM;
    try {
        std::unique_ptr<zipcore::ArchiveInput> input = qnruz::OpenArchiveFile(archive);
        if (!input) return PK_NOZIP;
        zipcore::ArchiveReader reader;
        switch (reader.Open(*input)) {
        case zipcore::OpenResult::Ok: break;
        case zipcore::OpenResult::NoEndRecord: return PK_NOZIP;
        default: return PK_BADERR;
        }
        if (reader.DiskNumber() != 0) return PK_WARN;
        if (reader.Members().empty()) return AllCodes ? PK_WARN : PK_OK;
        return PK_OK;
    } catch (const std::bad_alloc&) {
        return PK_MEM;
    } catch (...) {
        return PK_BADERR;
    }
}

void WINAPI UzpVersion2(UzpVer2* version) {
    if (!version) return;
    UzpVer2 filled{};
    filled.structlen = sizeof(UzpVer2);
    filled.flag = 2;  // built on zlib, not a beta
    CopyText(filled.betalevel, sizeof filled.betalevel, "");
    CopyText(filled.date, sizeof filled.date, "7 Dec 2026");
    CopyText(filled.zlib_version, sizeof filled.zlib_version, zlibVersion());
    filled.unzip = {5, 4, 2, 0};
    filled.zipinfo = {2, 3, 2, 0};
    filled.os2dll = {0, 0, 0, 0};
    filled.windll = {5, 4, 2, 0};
    size_t size = version->structlen < sizeof filled ? version->structlen : sizeof filled;
    std::memcpy(version, &filled, size);
}

}  // extern "C"

static_assert(sizeof(UzpVer2) == 64, "UzpVer2 is 64 bytes");
static_assert(offsetof(UzpVer2, unzip) == 48 && offsetof(UzpVer2, windll) == 60, "UzpVer2 record offsets");
