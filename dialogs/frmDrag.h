// frmDrag: how the files and folders dropped on the main window are added
// to the open archive. "Enregistrer le chemin" is the add-files window's
// remembered option too ("Adding"/"UsePath"): read when the window opens,
// saved when it closes, confirmed or not.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

struct DragAnswer {
    std::wstring tag;                    // "OK" when confirmed, "" otherwise
    int action = 0;                      // comAction 0 to 3
    int compression = 0;                 // comCompression 0 to 3
    bool storeDirectories = false;       // chkDir
    bool encrypt = false;                // chkEncrypt
    bool includeSystemAndHidden = true;  // chkSystem
    bool storeFolderNames = false;       // chkPath
    bool includeSubFolders = false;      // chkFolder

    // What the zip job makes of the combo boxes.
    bool FreshenFiles() const { return action == 1; }
    bool UpdateOnlyIfNewer() const { return action == 2; }
    bool MoveFiles() const { return action == 3; }
    // 9, 6, 2 or 0 for "Maximale", "Normale", "Rapide", "Aucune".
    int CompressionLevel() const;
};

class frmDrag {
public:
    enum ControlId {
        comAction = 101,
        comCompression = 102,
        chkDir = 103,
        chkEncrypt = 104,
        chkSystem = 105,
        chkPath = 106,
        chkFolder = 107,
        fraOptions = 108,
        lblAction = 109,
        lblCompression = 110,
        cmdOK = 200,
        cmdCancel = 201
    };

    static DragAnswer Show(HWND owner);
};

}  // namespace bralto
