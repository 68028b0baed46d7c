// The server's zip object: the zip engine's options and file list behind
// the dual interface _cAsyncZip. `Zip` queues the object and returns; the
// start queue later calls Runnable.Start, which runs the engine's RunZip
// with this object as its listener, raising the __cAsyncZip events, then
// Complete.
#pragma once

#include "AutomationObject.h"
#include "mZip.h"

#include <string>
#include <vector>

namespace qnr {

class cAsyncZip final : public AutomationObject<_cAsyncZip>, public bralto::IZipJob {
public:
    cAsyncZip();

    // _cAsyncZip, in the order of the interface.
    HRESULT STDMETHODCALLTYPE Zip() override;
    HRESULT STDMETHODCALLTYPE get_ZipFile(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ZipFile(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_BasePath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_BasePath(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Encrypt(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_Encrypt(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_IncludeSystemAndHiddenFiles(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_IncludeSystemAndHiddenFiles(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StoreVolumeLabel(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_StoreVolumeLabel(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StoreDirectories(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_StoreDirectories(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StoreFolderNames(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_StoreFolderNames(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RecurseSubDirs(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_RecurseSubDirs(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_UpdateOnlyIfNewer(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_UpdateOnlyIfNewer(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_FreshenFiles(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_FreshenFiles(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_MoveFiles(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_MoveFiles(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AddComment(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AddComment(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_MessageLevel(EZPMsgLevel* value) override;
    HRESULT STDMETHODCALLTYPE put_MessageLevel(EZPMsgLevel value) override;
    HRESULT STDMETHODCALLTYPE get_CompressionLevel(EZPCompLevel* value) override;
    HRESULT STDMETHODCALLTYPE put_CompressionLevel(EZPCompLevel value) override;
    HRESULT STDMETHODCALLTYPE get_ConvertCRLFToLF(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ConvertCRLFToLF(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_ConvertLFToCRLF(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_ConvertLFToCRLF(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE ClearFileSpecs() override;
    HRESULT STDMETHODCALLTYPE AddFileSpec(BSTR sSpec, LONG* result) override;
    HRESULT STDMETHODCALLTYPE get_FileSpecCount(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_FileSpec(LONG nIndex, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_AllowAppend(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_AllowAppend(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_DeleteEntries(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE put_DeleteEntries(VARIANT_BOOL value) override;

    // Runnable: the job, run by the start queue.
    HRESULT STDMETHODCALLTYPE Start() override;

    // bralto::IZipJob: what RunZip reads, and the library's callbacks,
    // raised as events.
    std::wstring ZipFile() const override { return options_.ZipFile(); }
    std::wstring BasePath() const override { return options_.BasePath(); }
    void RaiseProgress(const std::wstring& message) override;
    void RaiseCancel(const std::wstring& message, bool& cancel) override;
    void RaisePasswordRequest(std::wstring& password, bool& cancel) override;
    void RaiseCommentRequest(std::wstring& comment, bool& cancel, bool& clear) override;

private:
    ~cAsyncZip() override = default;

    long RunJob();
    void RaiseComplete(long result);

    bralto::ZipOptionRecord options_;
    bralto::ZipFileSpecList fileSpecs_;
};

}  // namespace qnr
