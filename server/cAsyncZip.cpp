#include "cAsyncZip.h"

#include "AutomationError.h"
#include "QnrZipEventIds.h"
#include "PropertyBodies.h"
#include "mStart.h"
#include "zip_api.h"

namespace qnr {

namespace {

// Zip library codes given to Complete when the job fails before the library
// runs: more than 1023 names is a bad command parameter (ZE_PARMS), anything
// else (the library cannot be loaded) an internal logic error (ZE_LOGIC).

}  // namespace

cAsyncZip::cAsyncZip() : AutomationObject(CLSID_cAsyncZip, IID__cAsyncZip, DIID___cAsyncZip, L"cAsyncZip") {}

HRESULT cAsyncZip::Zip() { return AcceptJob(DeferStart); }

HRESULT cAsyncZip::get_ZipFile(BSTR* value) { return CopyToOut(options_.ZipFile(), value); }
HRESULT cAsyncZip::put_ZipFile(BSTR value) {
    return Member([&] {
        options_.ZipFile(FromBstr(value));
        return S_OK;
    });
}

HRESULT cAsyncZip::get_BasePath(BSTR* value) { return CopyToOut(options_.BasePath(), value); }
HRESULT cAsyncZip::put_BasePath(BSTR value) {
    return Member([&] {
        options_.BasePath(FromBstr(value));
        return S_OK;
    });
}

HRESULT cAsyncZip::get_Encrypt(VARIANT_BOOL* value) { return ReadFlag(options_.Encrypt(), value); }
HRESULT cAsyncZip::put_Encrypt(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::Encrypt, value);
}

HRESULT cAsyncZip::get_IncludeSystemAndHiddenFiles(VARIANT_BOOL* value) {
    return ReadFlag(options_.IncludeSystemAndHiddenFiles(), value);
}
HRESULT cAsyncZip::put_IncludeSystemAndHiddenFiles(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::IncludeSystemAndHiddenFiles, value);
}

HRESULT cAsyncZip::get_StoreVolumeLabel(VARIANT_BOOL* value) { return ReadFlag(options_.StoreVolumeLabel(), value); }
HRESULT cAsyncZip::put_StoreVolumeLabel(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::StoreVolumeLabel, value);
}

HRESULT cAsyncZip::get_StoreDirectories(VARIANT_BOOL* value) { return ReadFlag(options_.StoreDirectories(), value); }
HRESULT cAsyncZip::put_StoreDirectories(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::StoreDirectories, value);
}

HRESULT cAsyncZip::get_StoreFolderNames(VARIANT_BOOL* value) { return ReadFlag(options_.StoreFolderNames(), value); }
HRESULT cAsyncZip::put_StoreFolderNames(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::StoreFolderNames, value);
}

HRESULT cAsyncZip::get_RecurseSubDirs(VARIANT_BOOL* value) { return ReadFlag(options_.RecurseSubDirs(), value); }
HRESULT cAsyncZip::put_RecurseSubDirs(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::RecurseSubDirs, value);
}

HRESULT cAsyncZip::get_UpdateOnlyIfNewer(VARIANT_BOOL* value) { return ReadFlag(options_.UpdateOnlyIfNewer(), value); }
HRESULT cAsyncZip::put_UpdateOnlyIfNewer(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::UpdateOnlyIfNewer, value);
}

HRESULT cAsyncZip::get_FreshenFiles(VARIANT_BOOL* value) { return ReadFlag(options_.FreshenFiles(), value); }
HRESULT cAsyncZip::put_FreshenFiles(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::FreshenFiles, value);
}

HRESULT cAsyncZip::get_MoveFiles(VARIANT_BOOL* value) { return ReadFlag(options_.MoveFiles(), value); }
HRESULT cAsyncZip::put_MoveFiles(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::MoveFiles, value);
}

HRESULT cAsyncZip::get_AddComment(VARIANT_BOOL* value) { return ReadFlag(options_.AddComment(), value); }
HRESULT cAsyncZip::put_AddComment(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::AddComment, value);
}

HRESULT cAsyncZip::get_MessageLevel(EZPMsgLevel* value) {
    if (!value) return E_POINTER;
    *value = static_cast<EZPMsgLevel>(options_.MessageLevel());
    return S_OK;
}
HRESULT cAsyncZip::put_MessageLevel(EZPMsgLevel value) {
    options_.MessageLevel(static_cast<long>(value));
    return S_OK;
}

// Any level 0 to 9 is taken, not only the named ones.
HRESULT cAsyncZip::get_CompressionLevel(EZPCompLevel* value) {
    if (!value) return E_POINTER;
    *value = static_cast<EZPCompLevel>(options_.CompressionLevel());
    return S_OK;
}
HRESULT cAsyncZip::put_CompressionLevel(EZPCompLevel value) {
    options_.CompressionLevel(static_cast<long>(value));
    return S_OK;
}

HRESULT cAsyncZip::get_ConvertCRLFToLF(VARIANT_BOOL* value) { return ReadFlag(options_.ConvertCRLFToLF(), value); }
HRESULT cAsyncZip::put_ConvertCRLFToLF(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::ConvertCRLFToLF, value);
}

HRESULT cAsyncZip::get_ConvertLFToCRLF(VARIANT_BOOL* value) { return ReadFlag(options_.ConvertLFToCRLF(), value); }
HRESULT cAsyncZip::put_ConvertLFToCRLF(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::ConvertLFToCRLF, value);
}

HRESULT cAsyncZip::ClearFileSpecs() {
    fileSpecs_.Clear();
    return S_OK;
}

HRESULT cAsyncZip::AddFileSpec(BSTR sSpec, LONG* result) {
    return Member([&] {
        const long code = fileSpecs_.Add(FromBstr(sSpec));
        if (result) *result = static_cast<LONG>(code);
        return S_OK;
    });
}

HRESULT cAsyncZip::get_FileSpecCount(LONG* value) {
    if (!value) return E_POINTER;
    *value = static_cast<LONG>(fileSpecs_.Count());
    return S_OK;
}

HRESULT cAsyncZip::get_FileSpec(LONG nIndex, VARIANT* value) {
    return Member([&]() -> HRESULT {
        if (!value) return E_POINTER;
        VariantInit(value);
        const std::wstring spec = fileSpecs_.At(nIndex, L"cAsyncZip");
        HRESULT hr = CopyToOut(spec, &V_BSTR(value));
        if (SUCCEEDED(hr)) V_VT(value) = VT_BSTR;
        return hr;
    });
}

HRESULT cAsyncZip::get_AllowAppend(VARIANT_BOOL* value) { return ReadFlag(options_.AllowAppend(), value); }
HRESULT cAsyncZip::put_AllowAppend(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::AllowAppend, value);
}

// Read True only when the field is exactly 1; it stays as set after a job,
// so the next Zip deletes again.
HRESULT cAsyncZip::get_DeleteEntries(VARIANT_BOOL* value) {
    return ReadFlag(options_.Record().fDeleteEntries == 1, value);
}
HRESULT cAsyncZip::put_DeleteEntries(VARIANT_BOOL value) {
    return WriteFlag(options_, &bralto::ZipOptionRecord::DeleteEntries, value);
}

HRESULT cAsyncZip::Start() {
    const long result = RunJob();
    RaiseCompleteThenFinish([&] { RaiseComplete(result); });
    return S_OK;
}

long cAsyncZip::RunJob() {
    try {
        return bralto::RunZip(*this, options_.Record(), fileSpecs_.All(), fileSpecs_.Count());
    } catch (const bralto::AutomationError& error) {
        // The client's log panel shows why the job could not run.
        RaiseProgress(error.Description());
        return error.Number() == bralto::kErrSubscriptOutOfRange ? ZE_PARMS : ZE_LOGIC;
    } catch (...) {
        return ZE_LOGIC;
    }
}

void cAsyncZip::RaiseComplete(long result) {
    // The client's change to the by-reference code is ignored.
    long code = result;
    Events().Fire(DISPID_ZIP_COMPLETE, {ByRef(&code)});
}

void cAsyncZip::RaiseProgress(const std::wstring& message) {
    Bstr text(message);
    Events().Fire(DISPID_ZIP_PROGRESS, {ByValue(text.Get())});
}

void cAsyncZip::RaiseCancel(const std::wstring& message, bool& cancel) {
    Bstr text(message);
    VARIANT_BOOL answer = ToVariantBool(cancel);
    Events().Fire(DISPID_ZIP_CANCEL, {ByValue(text.Get()), ByRef(&answer)});
    cancel = IsTrue(answer);
}

void cAsyncZip::RaisePasswordRequest(std::wstring& password, bool& cancel) {
    Bstr answer(password);
    VARIANT_BOOL cancelAnswer = ToVariantBool(cancel);
    Events().Fire(DISPID_ZIP_PASSWORDREQUEST, {ByRef(answer.Address()), ByRef(&cancelAnswer)});
    password = answer.Text();
    cancel = IsTrue(cancelAnswer);
}

void cAsyncZip::RaiseCommentRequest(std::wstring& comment, bool& cancel, bool& clear) {
    Bstr answer(comment);
    VARIANT_BOOL cancelAnswer = ToVariantBool(cancel);
    VARIANT_BOOL clearAnswer = ToVariantBool(clear);
    Events().Fire(DISPID_ZIP_COMMENTREQUEST, {ByRef(answer.Address()), ByRef(&cancelAnswer), ByRef(&clearAnswer)});
    comment = answer.Text();
    cancel = IsTrue(cancelAnswer);
    clear = IsTrue(clearAnswer);
}

}  // namespace qnr
