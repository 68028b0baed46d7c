// Making Bralto the default program for .zip files: what the association
// window says about the current owner, and what its OK button does. The
// previous association is saved as a REGEDIT4 file, Undo.reg, beside Bralto.
#pragma once

#include <windows.h>

#include <string>

#include "cRegistry.h"

namespace bralto {

extern const wchar_t kBraltoFileClass[];  // "Quenor Archive"

struct AssociationResult {
    bool succeeded = false;  // the association is now Bralto's
    bool undoFileWritten = false;
    std::wstring message;  // what to tell the user
    UINT icon = MB_ICONINFORMATION;
};

class ZipAssociation {
public:
    // `programFolder`: the folder holding Bralto.exe, without trailing backslash.
    explicit ZipAssociation(std::wstring programFolder);

    // The explanation the window shows at load.
    std::wstring InfoText();
    // The OK button: saves the previous association when it is another
    // program's, then writes Bralto's. Nothing is changed further when the
    // old association could not be saved or removed.
    AssociationResult Apply();
    // Writes Bralto's file-type class and the .zip keys; false on the first
    // registry error (keys written before it stay).
    bool WriteAssociation();

    std::wstring UndoFilePath() const { return programFolder_ + L"\\Undo.reg"; }
    std::wstring ExePath() const { return programFolder_ + L"\\Bralto.exe"; }

private:
    enum class Owner { Nobody, Bralto, Other };
    Owner CurrentOwner(std::wstring* ownerName = nullptr);
    AssociationResult Written(bool undo, const std::wstring& successText);
    void WriteDefault(const std::wstring& section, const std::wstring& name, const std::wstring& value);

    std::wstring programFolder_;
    cRegistry registry_;
};

}  // namespace bralto
