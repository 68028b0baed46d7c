// frmFileInfo: "Informations sur" one member of the archive list: the
// columns of its row, its icon and a bar showing how much its compression
// saved.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace bralto {

// The texts of a row of the archive list: the name, then its sub-items 1
// to 7 (encryption mark, "Type", "Modifié", "Taille", "Ratio", "Comprimé",
// "Chemin").
using MemberRowTexts = std::array<std::wstring, 8>;
// The texts of lblInfo(0) to lblInfo(7).
using FileInfoTexts = std::array<std::wstring, 8>;

class frmFileInfo {
public:
    // lblEti(i) = lblEti0 + i names the value shown in lblInfo(i) = lblInfo0 + i.
    enum ControlId { lblEti0 = 200, lblInfo0 = 300, imaIcon = 400, tubRatio = 401, cmdFermer = IDOK };

    // Origin ("non enregistrée" without stored folder), name, type, size,
    // date, compressed size, ratio and "Oui"/"Non" for the encryption mark.
    static FileInfoTexts Values(const MemberRowTexts& row);

    // Shows the window modally with the row's values and `icon` (not owned;
    // none when null); "Fermer", Enter, Escape and the close box unload it.
    static void Show(HWND owner, const MemberRowTexts& row, HICON icon);
};

}  // namespace bralto
