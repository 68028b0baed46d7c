// frmZipInfo: the "Propriétés" window of the open archive: name, folder,
// length and date of the archive file, and the totals of its last listing,
// with a bar showing how much the compression saved.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace bralto {

// The totals of the last listing of the archive (the in-process unzip
// object that filled the main window's list).
struct ListingFigures {
    long long totalSizeCompressed = 0;
    long long totalSize = 0;
    long compressionFactor = 0;  // percent
    long numMembers = 0;
};

// The texts of lblInfo(0) to lblInfo(7); an empty text leaves the label as
// designed (empty).
using ZipInfoTexts = std::array<std::wstring, 8>;

class frmZipInfo {
public:
    // lblEti(i) = lblEti0 + i names the value shown in lblInfo(i) = lblInfo0 + i.
    enum ControlId {
        lblEti0 = 200,
        lblInfo0 = 300,
        fraFile = 400,
        fraData = 401,
        tubRatio = 402,
        cmdFermer = IDOK,
    };

    // What the window shows for the archive at `archivePath` and the totals
    // of its listing. The file's length and date stay empty when the file
    // cannot be read (it has disappeared since it was listed, say).
    static ZipInfoTexts Figures(const std::wstring& archivePath, const ListingFigures& listing);

    // Shows the window modally; "Fermer", Enter, Escape and the close box
    // unload it.
    static void Show(HWND owner, const ZipInfoTexts& figures);
};

}  // namespace bralto
