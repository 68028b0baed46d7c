// frmBrowse: the folder-choice window that a folder field (qnrBrowser)
// opens from its browse button. A folder tree, "&OK" and "&Annuler".
// The field gets one through a FolderChoiceFactory:
//     args.folderChoice = frmBrowse::Factory();
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "qnrBrowser.h"

namespace bralto {

class frmBrowse : public FolderChoice {
public:
    enum ControlId { qnrRep = 101, cmdCmd0 = 200, cmdCmd1 = 201 };  // cmdCmd(i) = 200 + i

    static FolderChoiceFactory Factory();

    // The caption of the next ShowModal ("Choisir un répertoire" until set).
    void Caption(const std::wstring& caption) override;
    // The tree is opened on `folder` when the window shows. False for ""
    // and for anything that is neither a drive root ("C:", "C:\") nor an
    // existing folder; the tree then shows the drives only.
    bool OpenAFolder(const std::wstring& folder) override;
    // The tag: the tree's Path when "&OK" was pressed, "" for "&Annuler",
    // Escape or the close box.
    std::wstring ShowModal(HWND owner) override;

private:
    std::wstring caption_;
    std::wstring folder_;
};

}  // namespace bralto
