#include "frmFileInfo.h"

#include "DialogTemplate.h"
#include "HtmlHelpTopics.h"
#include "InfoFigures.h"
#include "InfoWindow.h"
#include "Texts.h"
#include "TubProgress.h"

namespace bralto {

namespace {

namespace t = info_texts;

// Sub-items of a row of the archive list.
enum Column { kName = 0, kEncrypted = 1, kType = 2, kModified = 3, kSize = 4, kRatio = 5, kCompressed = 6, kPath = 7 };

constexpr short kRowHeight = 12;
constexpr short kBarTop = 106;

struct DialogState {
    const MemberRowTexts* row = nullptr;
    HICON icon = nullptr;
    TubProgress ratio;
};

DialogTemplate Layout() {
    DialogTemplate layout(t::kFileInfoCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 232, 128);
    layout.AddItem(kStaticClass, frmFileInfo::imaIcon, L"", SS_ICON, 9, 9, 20, 20);
    for (int i = 0; i < 8; ++i) {
        const short y = static_cast<short>(8 + i * kRowHeight);
        layout.AddItem(kStaticClass, frmFileInfo::lblEti0 + i, t::kFileInfoLabels[i], SS_LEFT, 38, y, 50, 9);
        layout.AddItem(kStaticClass, frmFileInfo::lblInfo0 + i, L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 90, y,
                       135, 9);
    }
    layout.AddItem(kButtonClass, frmFileInfo::cmdFermer, t::kInfoClose, BS_DEFPUSHBUTTON | WS_TABSTOP, 173, kBarTop, 52,
                   14);
    return layout;
}

void OnLoad(HWND dialog, DialogState& state) {
    const FileInfoTexts values = frmFileInfo::Values(*state.row);
    for (int i = 0; i < 8; ++i)
        SetDlgItemTextW(dialog, frmFileInfo::lblInfo0 + i, values[static_cast<size_t>(i)].c_str());
    if (state.icon)
        SendDlgItemMessageW(dialog, frmFileInfo::imaIcon, STM_SETICON, reinterpret_cast<WPARAM>(state.icon), 0);
    ShowRatioBar(dialog, frmFileInfo::tubRatio, {38, kBarTop + 2, 38 + 127, kBarTop + 12}, (*state.row)[kRatio],
                 state.ratio);
}

}  // namespace

FileInfoTexts frmFileInfo::Values(const MemberRowTexts& row) {
    return {row[kPath].empty() ? std::wstring(t::kFileInfoNoFolder) : row[kPath],
            row[kName],
            row[kType],
            row[kSize],
            row[kModified],
            row[kCompressed],
            row[kRatio],
            row[kEncrypted].empty() ? t::kNo : t::kYes};
}

void frmFileInfo::Show(HWND owner, const MemberRowTexts& row, HICON icon) {
    DialogState state;
    state.row = &row;
    state.icon = icon;
    Layout().Show(owner, ShowOnlyDialogProc<DialogState, OnLoad, frmFileInfo::cmdFermer, help_topics::kFileInfo>,
                  reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
