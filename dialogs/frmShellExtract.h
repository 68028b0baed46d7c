// frmShellExtract: the small progress window of the shell's "Extraction
// express" verb. It extracts the whole archive into a folder named after it,
// beside it, with fixed options and no questions, and closes when the job
// ends. The main window is never shown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace bralto {

class frmShellExtract {
public:
    enum ControlId { lblTravail = 301, cmdCancel = IDCANCEL };

    frmShellExtract();
    ~frmShellExtract();
    frmShellExtract(const frmShellExtract&) = delete;
    frmShellExtract& operator=(const frmShellExtract&) = delete;

    // The archive's full path; set before QuickExtract.
    std::wstring ArchivePath;

    // Shows the window and starts the extraction in the qnrZip server. The
    // window unloads itself when the job completes.
    void QuickExtract();

    HWND Handle() const;

    // The folder an archive is extracted into: its path without its last four
    // characters (its ".zip"). A file name of four characters or fewer would
    // leave its parent folder, so such an archive gets " (extrait)" appended.
    static std::wstring ExtractionFolderFor(const std::wstring& archivePath);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace bralto
