#include "frmZipInfo.h"

#include "DialogTemplate.h"
#include "HtmlHelpTopics.h"
#include "InfoFigures.h"
#include "InfoWindow.h"
#include "Texts.h"
#include "TubProgress.h"

namespace bralto {

namespace {

namespace t = info_texts;

// lblInfo indices, as the window has always numbered them.
enum Figure {
    kSize = 0,
    kCompressed = 1,
    kUncompressed = 2,
    kFactor = 3,
    kCount = 4,
    kFolder = 5,
    kName = 6,
    kDate = 7
};

struct DialogState {
    const ZipInfoTexts* figures = nullptr;
    TubProgress ratio;
};

// Rows of the two frames, top to bottom.
constexpr int kFileRows[] = {kName, kFolder, kSize, kDate};
constexpr int kDataRows[] = {kCompressed, kUncompressed, kFactor, kCount};
constexpr short kRowHeight = 12;
constexpr short kFileFrameTop = 5;
constexpr short kFrameHeight = 62;
constexpr short kDataFrameTop = kFileFrameTop + kFrameHeight + 5;
constexpr short kBarTop = kDataFrameTop + kFrameHeight + 6;

void AddRows(DialogTemplate& layout, const int (&rows)[4], short frameTop) {
    for (int i = 0; i < 4; ++i) {
        const int figure = rows[i];
        const short y = static_cast<short>(frameTop + 12 + i * kRowHeight);
        layout.AddItem(kStaticClass, frmZipInfo::lblEti0 + figure, t::kZipInfoLabels[figure], SS_LEFTNOWORDWRAP, 14, y,
                       92, 9);
        layout.AddItem(kStaticClass, frmZipInfo::lblInfo0 + figure, L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 108,
                       y, 110, 9);
    }
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kZipInfoCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 232, kBarTop + 21);
    layout.AddItem(kButtonClass, frmZipInfo::fraFile, t::kZipInfoFileFrame, BS_GROUPBOX, 7, kFileFrameTop, 218,
                   kFrameHeight);
    AddRows(layout, kFileRows, kFileFrameTop);
    layout.AddItem(kButtonClass, frmZipInfo::fraData, t::kZipInfoDataFrame, BS_GROUPBOX, 7, kDataFrameTop, 218,
                   kFrameHeight);
    AddRows(layout, kDataRows, kDataFrameTop);
    layout.AddItem(kButtonClass, frmZipInfo::cmdFermer, t::kInfoClose, BS_DEFPUSHBUTTON | WS_TABSTOP, 173, kBarTop, 52,
                   14);
    return layout;
}

void OnLoad(HWND dialog, DialogState& state) {
    for (int i = 0; i < 8; ++i) {
        const std::wstring& text = (*state.figures)[static_cast<size_t>(i)];
        if (!text.empty()) SetDlgItemTextW(dialog, frmZipInfo::lblInfo0 + i, text.c_str());
    }
    ShowRatioBar(dialog, frmZipInfo::tubRatio, {7, kBarTop + 2, 7 + 158, kBarTop + 12}, (*state.figures)[kFactor],
                 state.ratio);
}

}  // namespace

ZipInfoTexts frmZipInfo::Figures(const std::wstring& archivePath, const ListingFigures& listing) {
    ZipInfoTexts figures;
    // Either separator: a path typed or passed by another program may use '/'.
    const size_t slash = archivePath.find_last_of(L"\\/");
    figures[kName] = slash == std::wstring::npos ? archivePath : archivePath.substr(slash + 1);
    figures[kFolder] = slash == std::wstring::npos ? std::wstring() : archivePath.substr(0, slash + 1);
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    if (GetFileAttributesExW(archivePath.c_str(), GetFileExInfoStandard, &file)) {
        const long long length = (static_cast<long long>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
        figures[kSize] = FormatSizeGroups(length);
        figures[kDate] = FormatFileDate(file.ftLastWriteTime);
    }
    figures[kCompressed] = FormatSizeGroups(listing.totalSizeCompressed);
    figures[kUncompressed] = FormatSizeGroups(listing.totalSize);
    figures[kFactor] = std::to_wstring(listing.compressionFactor) + L"%";
    figures[kCount] = std::to_wstring(listing.numMembers);
    return figures;
}

void frmZipInfo::Show(HWND owner, const ZipInfoTexts& figures) {
    DialogState state;
    state.figures = &figures;
    Layout().Show(owner, ShowOnlyDialogProc<DialogState, OnLoad, frmZipInfo::cmdFermer, help_topics::kZipInfo>,
                  reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
