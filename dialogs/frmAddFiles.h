// frmAddFiles: the two-page wizard that gathers what to add to the open
// archive and how. Page 1 picks files (the file list) and folders with a
// mask (the folder tree); page 2 shows the collected rows and the zip
// options. The window never touches the archive: the add command builds the
// zip job from the answer.
//
// Remembered in the settings ("Adding"): the file list's view, saved at each
// change; the tree's folder and "Enregistrer le chemin", saved when the
// window closes, confirmed or not.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "AddFilesSelection.h"

namespace bralto {

struct AddFilesAnswer {
    std::wstring tag;                         // "OK" for "&Terminer", "" otherwise
    std::vector<AddSelection> selection;      // lisSélect, in list order
    int action = 0;                           // comAction 0 to 3
    int compression = 0;                      // comCompression 0 to 3
    bool storeDirectories = false;            // chkDir "Inclure les répertoires vides"
    bool storeFolderNames = false;            // chkPath "Enregistrer le chemin"
    bool includeSystemAndHiddenFiles = true;  // chkSystem
    bool encrypt = false;                     // chkEncrypt "Crypter les fichiers"

    // What the zip job makes of the action list ("Ajouter (et remplacer)"
    // sets none of them).
    bool FreshenFiles() const { return action == 1; }
    bool UpdateOnlyIfNewer() const { return action == 2; }
    bool MoveFiles() const { return action == 3; }
    // 9, 6, 2 or 0 for "Maximale", "Normale", "Rapide", "Aucune".
    int CompressionLevel() const;
};

class frmAddFiles {
public:
    enum ControlId {
        // Page 1.
        fraRép = 101,
        qnrRép = 102,
        chkSsRép = 103,
        lblMask = 104,
        txtMask = 105,
        cmdRép = 106,
        fraFich = 107,
        qnrFich = 108,
        imaView = 109,
        cmdFichier = 110,
        // Page 2.
        lblSélect = 120,
        lisSélect = 121,
        lblAction = 122,
        comAction = 123,
        lblCompression = 124,
        comCompression = 125,
        fraOption = 126,
        chkDir = 127,
        chkPath = 128,
        chkSystem = 129,
        chkEncrypt = 130,
        // Always shown ("&Terminer" on page 2 only).
        lnBottom = 140,
        imaSélection = 141,
        cmdSuivPré = 142,
        cmdOK = 143,
        cmdCancel = 144
    };

    // Shows the window modally, owned by `owner`, opened from the settings;
    // saves the settings and returns the answer when it closes.
    static AddFilesAnswer Show(HWND owner);

    // The view the view button switches to: 2 from the report view (3),
    // 3 from any other.
    static long NextView(long view);
    // The resource bitmap that shows `view` on the view button.
    static int ViewBitmap(long view);
};

}  // namespace bralto
