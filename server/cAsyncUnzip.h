// The server's unzip object: the unzip engine's options and member
// directory behind the dual interface _cAsyncUnzip. `unzip` queues the
// object and returns; the start queue later calls Runnable.Start, which
// lists, tests or extracts through the engine's RunUnzip, raising the
// __cAsyncUnzip events, then Complete. `Directory`, `IsValidArchive` and
// `GetVersion` run within the client's call.
#pragma once

#include "AutomationObject.h"
#include "UnzipDirectory.h"
#include "mUnzip.h"

#include <string>
#include <vector>

namespace qnr {

class cAsyncUnzip final : public AutomationObject<_cAsyncUnzip>, public bralto::IUnzipJob {
public:
    cAsyncUnzip();

    // _cAsyncUnzip, in the order of the interface.
    HRESULT STDMETHODCALLTYPE unzip() override;
    HRESULT STDMETHODCALLTYPE get_ExtractOnlyNewer(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ExtractOnlyNewer(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ExtractOnlyExistingNewer(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ExtractOnlyExistingNewer(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_SpaceToUnderscore(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_SpaceToUnderscore(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_PromptToOverwrite(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_PromptToOverwrite(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_MessageLevel(EUZMsgLevel* value) override;
    HRESULT STDMETHODCALLTYPE put_MessageLevel(EUZMsgLevel value) override;
    HRESULT STDMETHODCALLTYPE get_TestZip(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_TestZip(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Listing(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Listing(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_DisplayComment(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_DisplayComment(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_UseFolderNames(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_UseFolderNames(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_OverwriteExisting(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_OverwriteExisting(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ConvertCRToCRLF(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ConvertCRToCRLF(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_CaseSensitiveFileNames(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_CaseSensitiveFileNames(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_FileCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_Filename(LONG lIndex, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FileDirectory(LONG lIndex, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FileSize(LONG lIndex, LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FilePackedSize(LONG lIndex, LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileCompressionRatio(LONG lIndex, LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileDate(LONG lIndex, DATE* value) override;
    HRESULT STDMETHODCALLTYPE get_FileCRC(LONG lIndex, LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileCompressionMethod(LONG lIndex, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_FileEncrypted(LONG lIndex, VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_FileSelected(LONG lIndex, VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_FileSelected(LONG lIndex, VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE Directory(LONG* result) override;
    HRESULT STDMETHODCALLTYPE IsValidArchive(LONG* result) override;
    HRESULT STDMETHODCALLTYPE put_UnzipFolder(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_UnzipFolder(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_ZipFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE GetVersion(BSTR* ZVersion, BSTR* UZVersion, BSTR* dDate) override;
    HRESULT STDMETHODCALLTYPE put_ZipFile(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_TotalSizeCompressed(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_TotalSize(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_CompressionFactor(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_NumMembers(LONG* value) override;

    // Runnable: the job, run by the start queue.
    HRESULT STDMETHODCALLTYPE Start() override;

    // bralto::IUnzipJob: the library's callbacks, raised as events.
    void AddMemberEntry(const bralto::UnzipMemberEntry& entry) override;
    void RaiseProgress(const std::wstring& message) override;
    void RaiseCancel(const std::wstring& message, bool& cancel) override;
    void RaiseOverwritePrompt(const std::wstring& file, long& response) override;
    void RaisePasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) override;

private:
    ~cAsyncUnzip() override = default;

    long RunJob();
    long RunListing(bool listing);
    long RunExtraction();
    void RaiseComplete(long result);

    bralto::UnzipOptionRecord options_;
    // The listing flag (nvflag) as the client set it through `Listing`;
    // each run writes it into the record.
    bool listing_ = false;
    bralto::UnzipMemberDirectory directory_{L"cAsyncUnzip"};
    bralto::UnzipListingTotals totals_;
};

}  // namespace qnr
