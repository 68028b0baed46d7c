// frmExtractFiles: the options of an extraction, gathered before the
// extract command builds its unzip job. The options are remembered in the
// settings ("Extracting") when the window closes, confirmed or not.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto {

// Where "ce répertoire >" finds the common folders. The main window passes
// its current archive and the program's TempFolderPath / SpecialFolderPath;
// a missing function or a folder the shell cannot give leaves the field
// empty.
struct ExtractFolderSources {
    std::wstring archivePath;                              // "" when no archive is open
    std::function<std::wstring()> tempFolder;              // with its trailing backslash
    std::function<std::wstring(HWND, int)> specialFolder;  // (owner, CSIDL)
};

struct ExtractAnswer {
    std::wstring tag;                // "OK" for "Extraire", "" otherwise
    std::wstring folder;             // the destination field
    int files = 0;                   // comFichiers: 0 the marked members, 1 the whole archive
    int action = 0;                  // comAction: 0 ask, 1 never overwrite, 2 overwrite silently
    bool onlyNewer = false;          // chkEONewer
    bool onlyExistingNewer = false;  // chkEOEN
    bool usePath = false;            // chkUsePath
    int common = 0;                  // comRep, -1 when no entry is chosen

    bool AllFiles() const { return files == 1; }
    bool OverwriteExisting() const { return action == 2; }
    bool PromptToOverwrite() const { return action == 0; }
};

class frmExtractFiles {
public:
    enum ControlId {
        qnrBrowDest = 101,
        comRep = 102,
        cmdRep = 103,
        comFichiers = 104,
        comAction = 105,
        chkEONewer = 106,
        chkEOEN = 107,
        chkUsePath = 108,
        fraDest = 109,
        lblFichiers = 110,
        lblAction = 111,
        cmdAction0 = 200,
        cmdAction1 = 201  // cmdAction(i) = 200 + i
    };

    // Shows the window modally, owned by `owner`, filled from the settings;
    // saves the settings and returns the answer when it closes.
    static ExtractAnswer Show(HWND owner, const ExtractFolderSources& sources);

    // What "ce répertoire >" puts into the field for entry `choice` of
    // comRep (-1: nothing chosen, gives "").
    static std::wstring CommonFolder(int choice, HWND owner, const ExtractFolderSources& sources);
};

}  // namespace bralto
