#include "cAsyncUnzip.h"

#include "AutomationError.h"
#include "QnrZipEventIds.h"
#include "PropertyBodies.h"
#include "mStart.h"
#include "unzip_api.h"

namespace qnr {

namespace {

// Complete's code when no archive is named: the library is not called.
// (13 is not an unzip code: it is the zip library's "missing archive".)
constexpr long kNoArchiveNamed = 13;
// The unzip library code given to Complete when the job fails before the
// library runs (more than 1023 names, library missing) is PK_PARAM.

}  // namespace

cAsyncUnzip::cAsyncUnzip()
    : AutomationObject(CLSID_cAsyncUnzip, IID__cAsyncUnzip, DIID___cAsyncUnzip, L"cAsyncUnzip") {}

HRESULT cAsyncUnzip::unzip() { return AcceptJob(DeferStart); }

HRESULT cAsyncUnzip::get_ExtractOnlyNewer(VARIANT_BOOL* value) { return ReadFlag(options_.ExtractOnlyNewer(), value); }
HRESULT cAsyncUnzip::put_ExtractOnlyNewer(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::ExtractOnlyNewer, value);
}

HRESULT cAsyncUnzip::get_ExtractOnlyExistingNewer(VARIANT_BOOL* value) {
    return ReadFlag(options_.ExtractOnlyExistingNewer(), value);
}
HRESULT cAsyncUnzip::put_ExtractOnlyExistingNewer(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::ExtractOnlyExistingNewer, value);
}

HRESULT cAsyncUnzip::get_SpaceToUnderscore(VARIANT_BOOL* value) {
    return ReadFlag(options_.SpaceToUnderscore(), value);
}
HRESULT cAsyncUnzip::put_SpaceToUnderscore(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::SpaceToUnderscore, value);
}

HRESULT cAsyncUnzip::get_PromptToOverwrite(VARIANT_BOOL* value) {
    return ReadFlag(options_.PromptToOverwrite(), value);
}
HRESULT cAsyncUnzip::put_PromptToOverwrite(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::PromptToOverwrite, value);
}

HRESULT cAsyncUnzip::get_MessageLevel(EUZMsgLevel* value) {
    if (!value) return E_POINTER;
    *value = static_cast<EUZMsgLevel>(options_.MessageLevel());
    return S_OK;
}
HRESULT cAsyncUnzip::put_MessageLevel(EUZMsgLevel value) {
    options_.MessageLevel(static_cast<long>(value));
    return S_OK;
}

HRESULT cAsyncUnzip::get_TestZip(VARIANT_BOOL* value) { return ReadFlag(options_.TestZip(), value); }
HRESULT cAsyncUnzip::put_TestZip(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::TestZip, value);
}

HRESULT cAsyncUnzip::get_Listing(VARIANT_BOOL* value) { return ReadFlag(listing_, value); }
HRESULT cAsyncUnzip::put_Listing(VARIANT_BOOL value) {
    listing_ = IsTrue(value);
    return S_OK;
}

HRESULT cAsyncUnzip::get_DisplayComment(VARIANT_BOOL* value) { return ReadFlag(options_.DisplayComment(), value); }
HRESULT cAsyncUnzip::put_DisplayComment(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::DisplayComment, value);
}

HRESULT cAsyncUnzip::get_UseFolderNames(VARIANT_BOOL* value) { return ReadFlag(options_.UseFolderNames(), value); }
HRESULT cAsyncUnzip::put_UseFolderNames(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::UseFolderNames, value);
}

HRESULT cAsyncUnzip::get_OverwriteExisting(VARIANT_BOOL* value) {
    return ReadFlag(options_.OverwriteExisting(), value);
}
HRESULT cAsyncUnzip::put_OverwriteExisting(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::OverwriteExisting, value);
}

HRESULT cAsyncUnzip::get_ConvertCRToCRLF(VARIANT_BOOL* value) { return ReadFlag(options_.ConvertCRToCRLF(), value); }
HRESULT cAsyncUnzip::put_ConvertCRToCRLF(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::ConvertCRToCRLF, value);
}

HRESULT cAsyncUnzip::get_CaseSensitiveFileNames(VARIANT_BOOL* value) {
    return ReadFlag(options_.CaseSensitiveFileNames(), value);
}
HRESULT cAsyncUnzip::put_CaseSensitiveFileNames(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::UnzipOptionRecord::CaseSensitiveFileNames, value);
}

HRESULT cAsyncUnzip::get_FileCount(LONG* value) { return CopyNumber(directory_.Count(), value); }

HRESULT cAsyncUnzip::get_Filename(LONG lIndex, BSTR* value) {
    return Member([&] { return CopyToOut(directory_.At(lIndex).entry.name, value); });
}

HRESULT cAsyncUnzip::get_FileDirectory(LONG lIndex, BSTR* value) {
    return Member([&] { return CopyToOut(directory_.At(lIndex).entry.folder, value); });
}

// The compressed size, as the in-process object reports it.
HRESULT cAsyncUnzip::get_FileSize(LONG lIndex, LONG* value) {
    return Member([&] { return CopySizeBits(directory_.At(lIndex).entry.compressedSize, value); });
}

// The uncompressed size.
HRESULT cAsyncUnzip::get_FilePackedSize(LONG lIndex, LONG* value) {
    return Member([&] { return CopySizeBits(directory_.At(lIndex).entry.uncompressedSize, value); });
}

HRESULT cAsyncUnzip::get_FileCompressionRatio(LONG lIndex, LONG* value) {
    return Member([&] { return CopyNumber(directory_.At(lIndex).entry.ratio, value); });
}

HRESULT cAsyncUnzip::get_FileDate(LONG lIndex, DATE* value) {
    return Member([&]() -> HRESULT {
        if (!value) return E_POINTER;
        *value = directory_.At(lIndex).entry.date;
        return S_OK;
    });
}

HRESULT cAsyncUnzip::get_FileCRC(LONG lIndex, LONG* value) {
    return Member([&] { return CopyNumber(directory_.At(lIndex).entry.crc, value); });
}

HRESULT cAsyncUnzip::get_FileCompressionMethod(LONG lIndex, BSTR* value) {
    return Member([&] { return CopyToOut(directory_.At(lIndex).entry.method, value); });
}

HRESULT cAsyncUnzip::get_FileEncrypted(LONG lIndex, VARIANT_BOOL* value) {
    return Member([&] { return ReadFlag(directory_.At(lIndex).entry.encrypted, value); });
}

HRESULT cAsyncUnzip::get_FileSelected(LONG lIndex, VARIANT_BOOL* value) {
    return Member([&] { return ReadFlag(directory_.At(lIndex).selected, value); });
}

HRESULT cAsyncUnzip::put_FileSelected(LONG lIndex, VARIANT_BOOL value) {
    return Member([&] {
        directory_.At(lIndex).selected = IsTrue(value);
        return S_OK;
    });
}

// Lists within the client's call; `Listing` stays as the client set it.
HRESULT cAsyncUnzip::Directory(LONG* result) {
    return Member([&]() -> HRESULT {
        if (!result) return E_POINTER;
        *result = static_cast<LONG>(RunListing(true));
        return S_OK;
    });
}

HRESULT cAsyncUnzip::IsValidArchive(LONG* result) {
    return Member([&]() -> HRESULT {
        if (!result) return E_POINTER;
        *result = static_cast<LONG>(bralto::ValidateArchive(options_.ZipFile()));
        return S_OK;
    });
}

HRESULT cAsyncUnzip::put_UnzipFolder(BSTR value) {
    return Member([&] {
        options_.UnzipFolder(FromBstr(value));
        return S_OK;
    });
}

HRESULT cAsyncUnzip::get_UnzipFolder(BSTR* value) { return CopyToOut(options_.UnzipFolder(), value); }

HRESULT cAsyncUnzip::get_ZipFile(BSTR* value) { return CopyToOut(options_.ZipFile(), value); }

HRESULT cAsyncUnzip::GetVersion(BSTR* ZVersion, BSTR* UZVersion, BSTR* dDate) {
    return Member([&]() -> HRESULT {
        if (!ZVersion || !UZVersion || !dDate) return E_POINTER;
        std::wstring zip, unzip, date;
        bralto::GetUnzipLibraryVersion(zip, unzip, date);
        HRESULT hr = ReplaceText(ZVersion, zip);
        if (SUCCEEDED(hr)) hr = ReplaceText(UZVersion, unzip);
        if (SUCCEEDED(hr)) hr = ReplaceText(dDate, date);
        return hr;
    });
}

// A new archive empties the member directory.
HRESULT cAsyncUnzip::put_ZipFile(BSTR value) {
    return Member([&] {
        options_.ZipFile(FromBstr(value));
        directory_.Clear();
        return S_OK;
    });
}

// The totals are 64-bit sums; the published properties stay 32-bit
// (stopped at 0xFFFFFFFF).
HRESULT cAsyncUnzip::get_TotalSizeCompressed(LONG* value) {
    return CopySizeBits(totals_.TotalSizeCompressed, value);
}
HRESULT cAsyncUnzip::get_TotalSize(LONG* value) { return CopySizeBits(totals_.TotalSize, value); }
HRESULT cAsyncUnzip::get_CompressionFactor(LONG* value) { return CopyNumber(totals_.CompressionFactor, value); }
HRESULT cAsyncUnzip::get_NumMembers(LONG* value) { return CopyNumber(totals_.NumMembers, value); }

HRESULT cAsyncUnzip::Start() {
    const long result = RunJob();
    RaiseCompleteThenFinish([&] { RaiseComplete(result); });
    return S_OK;
}

long cAsyncUnzip::RunJob() {
    if (options_.ZipFile().empty()) return kNoArchiveNamed;
    try {
        // With TestZip too, the library tests the whole archive and the
        // engine leaves the totals alone.
        return listing_ ? RunListing(true) : RunExtraction();
    } catch (const bralto::AutomationError& error) {
        // The client's log panel shows why the job could not run.
        RaiseProgress(error.Description());
        return PK_PARAM;
    } catch (...) {
        return PK_PARAM;
    }
}

// Whole archive, no names, no extraction folder; members are appended.
long cAsyncUnzip::RunListing(bool listing) {
    DCL& dcl = options_.ForJob(L"", listing);
    return bralto::RunUnzip(this, dcl, {}, {}, totals_);
}

// The selected members (all or none selected: the whole archive) into
// UnzipFolder, or tested with TestZip.
long cAsyncUnzip::RunExtraction() {
    std::vector<std::wstring> include = directory_.IncludeNames();
    DCL& dcl = options_.ForJob(options_.UnzipFolder(), false);
    return bralto::RunUnzip(this, dcl, include, {}, totals_);
}

void cAsyncUnzip::RaiseComplete(long result) {
    // The client's change to the by-reference code is ignored.
    long code = result;
    Events().Fire(DISPID_UNZIP_COMPLETE, {ByRef(&code)});
}

void cAsyncUnzip::AddMemberEntry(const bralto::UnzipMemberEntry& entry) { directory_.Append(entry); }

void cAsyncUnzip::RaiseProgress(const std::wstring& message) {
    Bstr text(message);
    Events().Fire(DISPID_UNZIP_PROGRESS, {ByValue(text.Get())});
}

void cAsyncUnzip::RaiseCancel(const std::wstring& message, bool& cancel) {
    Bstr text(message);
    VARIANT_BOOL answer = ToVariantBool(cancel);
    Events().Fire(DISPID_UNZIP_CANCEL, {ByValue(text.Get()), ByRef(&answer)});
    cancel = IsTrue(answer);
}

void cAsyncUnzip::RaiseOverwritePrompt(const std::wstring& file, long& response) {
    Bstr text(file);
    long answer = response;
    Events().Fire(DISPID_UNZIP_OVERWRITEPROMPT, {ByValue(text.Get()), ByRef(&answer)});
    response = answer;
}

void cAsyncUnzip::RaisePasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) {
    Bstr answer(password);
    VARIANT_BOOL cancelAnswer = ToVariantBool(cancel);
    Bstr member(file);
    Events().Fire(DISPID_UNZIP_PASSWORDREQUEST, {ByRef(answer.Address()), ByRef(&cancelAnswer), ByValue(member.Get())});
    password = answer.Text();
    cancel = IsTrue(cancelAnswer);
}

}  // namespace qnr
