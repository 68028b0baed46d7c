// Files and folders dropped on the main window: one archive is opened (or,
// when another is open, opened or added as the user says); anything else
// is added to the current archive by a zip job, with the options of the
// drop-options window.
#include "frmBralto.h"

#include "Common.h"
#include "Drop.h"
#include "Handles.h"
#include "JobSetup.h"
#include "QnrZipClient.h"
#include "Texts.h"
#include "cUnzip.h"
#include "frmDrag.h"
#include "unzip_api.h"

namespace bralto {

namespace {

// Result codes of IsValidArchive that mean "this is an archive": a sound
// one, an empty one or the last volume of a split one (PK_WARN), and one
// that holds encrypted members (IZ_BADPWD).
bool IsArchiveResult(long result) { return result == PK_OK || result == PK_WARN || result == IZ_BADPWD; }

bool IsArchive(const std::wstring& path) {
    cUnzip probe;
    probe.ZipFile(path);
    return IsArchiveResult(probe.IsValidArchive());
}

// Holds a flag up for as long as it lives.
class FlagUp {
public:
    explicit FlagUp(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagUp() { flag_ = false; }
    FlagUp(const FlagUp&) = delete;
    FlagUp& operator=(const FlagUp&) = delete;

private:
    bool& flag_;
};

VARIANT_BOOL Truth(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace

void frmBralto::DropFiles(HDROP drop) {
    UniqueDropHandle owned(drop);
    // A drop reaches the window even while a job runs, while a modal window
    // it owns is open (the window is then disabled) and while an earlier
    // drop is still being handled (the Save dialog, the drop options and the
    // calls to the server all run the message loop): each is ignored.
    if (busy_ || handlingDrop_ || !hwnd_ || !IsWindowEnabled(hwnd_)) return;
    FlagUp handling(handlingDrop_);
    droppedNames_ = DroppedNames(owned.get());
    owned.reset();
    if (droppedNames_.empty()) return;
    if (droppedNames_.size() > 1) {
        AddDroppedFiles();
        return;
    }

    const std::wstring name = droppedNames_.front();
    const DroppedKind kind = KindOf(name);
    if (kind == DroppedKind::Missing) {
        Message(texts::kDropOpenError + name + texts::kDropOpenErrorEnd, MB_ICONERROR);
        return;
    }
    if (kind == DroppedKind::Folder || !IsArchive(name)) {
        AddDroppedFiles();
        return;
    }
    if (archivePath_.empty()) {
        OpenAZip(name);
        return;
    }
    const std::wstring question =
        texts::kDropOpenOrAdd1 + std::wstring(texts::kDropOpenOrAdd2) + texts::kCrLf + texts::kDropOpenOrAdd3;
    switch (Message(question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: OpenAZip(name); break;
    case IDNO: AddDroppedFiles(); break;
    default: break;  // Cancel: nothing changes
    }
}

void frmBralto::AddDroppedFiles() {
    // Nothing open: name a new archive first. Unlike the shell's New
    // command, a refused name only ends the drop; the window stays.
    if (archivePath_.empty() && !AskNewArchive(L"")) return;

    std::unique_ptr<AsyncZipJob> job = CreateZipJob();
    if (!job) {
        Message(texts::kDropServerUnavailable, MB_ICONERROR);
        return;
    }
    JobSetup setup;
    setup += (*job)->put_ZipFile(qnr::Bstr(archivePath_).Get());

    const DragAnswer answer = frmDrag::Show(hwnd_);
    UpdateWindow(hwnd_);
    if (answer.tag.empty()) return;

    SetStatus(texts::kPreparing);
    setup += (*job)->put_StoreFolderNames(Truth(answer.storeFolderNames));
    // A new drop asks for a new password when it encrypts.
    ZipPassword.clear();
    setup += (*job)->put_Encrypt(Truth(answer.encrypt));
    if (answer.FreshenFiles()) setup += (*job)->put_FreshenFiles(VARIANT_TRUE);
    if (answer.UpdateOnlyIfNewer()) setup += (*job)->put_UpdateOnlyIfNewer(VARIANT_TRUE);
    if (answer.MoveFiles()) setup += (*job)->put_MoveFiles(VARIANT_TRUE);
    setup += (*job)->put_CompressionLevel(static_cast<EZPCompLevel>(answer.CompressionLevel()));
    setup += (*job)->put_IncludeSystemAndHiddenFiles(Truth(answer.includeSystemAndHidden));
    setup += (*job)->put_StoreDirectories(Truth(answer.storeDirectories));
    for (const std::wstring& spec :
         DropSpecificationsOf(droppedNames_, answer.includeSubFolders, answer.includeSystemAndHidden)) {
        long added = 0;
        setup += (*job)->AddFileSpec(qnr::Bstr(spec).Get(), &added);
    }
    if (!AcceptSetup(setup)) return;
    PerformZipping(std::move(job));
    // A refused job leaves the window idle: say so instead of "Préparation...".
    if (!busy_) SetStatus(texts::kReady);
}

}  // namespace bralto
