#include "frmAbout.h"

#include <cstdio>
#include <vector>

#include "DialogTemplate.h"
#include "Texts.h"
#include "Handles.h"
#include "cRegistry.h"
#include "mShellExecute.h"
#include "Module.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

const wchar_t kUserInfoKey[] = L".Default\\Software\\Microsoft\\MS Setup (ACME)\\User Info";

struct DialogState {
    frmAbout::Opener open;
    UniqueGdiObject titleFont;  // outlives the window, which only borrows it
};

std::wstring StringOf(const std::vector<BYTE>& block, const wchar_t* table, const wchar_t* name) {
    wchar_t query[96];
    std::swprintf(query, 96, L"\\StringFileInfo\\%ls\\%ls", table, name);
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query, &text, &length) || !text || length == 0) return L"";
    return static_cast<const wchar_t*>(text);
}

// The first translation the block lists, as the string table's name.
std::wstring StringTableOf(const std::vector<BYTE>& block) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* data = nullptr;
    UINT length = 0;
    wchar_t table[16] = L"040904B0";
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) && length >= sizeof(Translation)) {
        const auto* first = static_cast<const Translation*>(data);
        std::swprintf(table, 16, L"%04X%04X", first->language, first->codePage);
    }
    return table;
}

void OpenWithShell(HWND owner, const std::wstring& file) {
    ShellOpen(file, L"open", L"", L"", SW_SHOWNORMAL, owner, true);
}

void OnLoad(HWND dialog, DialogState& state) {
    const VersionFacts facts = frmAbout::ReadVersionFacts(ExecutablePath());
    SetDlgItemTextW(dialog, frmAbout::lblTitle, facts.productName.c_str());
    SetDlgItemTextW(dialog, frmAbout::lblVersion, frmAbout::VersionText(facts).c_str());
    SetDlgItemTextW(dialog, frmAbout::lblDescription, facts.description.c_str());
    SetDlgItemTextW(dialog, frmAbout::lblDisclaimer, facts.legalNotice.c_str());
    SetDlgItemTextW(dialog, frmAbout::lblUser, frmAbout::RegisteredUserLine().c_str());

    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
    SendDlgItemMessageW(dialog, frmAbout::imaPicture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    font.lfHeight = font.lfHeight * 3 / 2;
    state.titleFont.reset(CreateFontIndirectW(&font));
    SendDlgItemMessageW(dialog, frmAbout::lblTitle, WM_SETFONT, reinterpret_cast<WPARAM>(state.titleFont.get()), FALSE);
}

void OnLabelClick(HWND dialog, const DialogState& state, int id) {
    // The captions "Mail:" and "Web:" are not links; only the addresses are.
    std::wstring file;
    if (id == frmAbout::lblMail1) file = std::wstring(t::kAboutMailScheme) + ControlText(dialog, frmAbout::lblMail1);
    if (id == frmAbout::lblWeb1) file = ControlText(dialog, frmAbout::lblWeb1);
    if (file.empty()) return;
    if (state.open)
        state.open(dialog, file);
    else
        OpenWithShell(dialog, file);
}

bool IsAddress(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id == frmAbout::lblMail1 || id == frmAbout::lblWeb1;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnLoad(dialog, *reinterpret_cast<DialogState*>(lParam));
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kAbout);
    case WM_COMMAND:
        if (LOWORD(wParam) == frmAbout::cmdOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (HIWORD(wParam) == STN_CLICKED) {
            OnLabelClick(dialog, *state, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (IsAddress(reinterpret_cast<HWND>(lParam))) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 192));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_SETCURSOR:
        if (IsAddress(reinterpret_cast<HWND>(wParam))) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kAboutCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 240, 150);
    using A = frmAbout;
    layout.AddItem(kStaticClass, A::imaPicture, L"", SS_ICON, 10, 10, 21, 20);
    layout.AddItem(kStaticClass, A::lblTitle, L"", SS_LEFT, 44, 8, 188, 14);
    layout.AddItem(kStaticClass, A::lblVersion, L"", SS_LEFT, 44, 24, 188, 9);
    layout.AddItem(kStaticClass, A::lblDescription, L"", SS_LEFT, 44, 36, 188, 18);
    layout.AddItem(kStaticClass, A::Line10, L"", SS_ETCHEDHORZ, 7, 58, 226, 1);
    layout.AddItem(kStaticClass, A::lblUser, L"", SS_LEFT, 10, 63, 222, 9);
    layout.AddItem(kStaticClass, A::lblMail0, t::kAboutMail, SS_LEFT | SS_NOTIFY, 10, 77, 28, 9);
    layout.AddItem(kStaticClass, A::lblMail1, t::kAboutMailAddress, SS_LEFT | SS_NOTIFY, 40, 77, 150, 9);
    layout.AddItem(kStaticClass, A::lblWeb0, t::kAboutWeb, SS_LEFT | SS_NOTIFY, 10, 89, 28, 9);
    layout.AddItem(kStaticClass, A::lblWeb1, t::kAboutWebAddress, SS_LEFT | SS_NOTIFY, 40, 89, 150, 9);
    layout.AddItem(kStaticClass, A::Line11, L"", SS_ETCHEDHORZ, 7, 103, 226, 1);
    layout.AddItem(kStaticClass, A::lblDisclaimer, L"", SS_LEFT, 10, 108, 160, 36);
    layout.AddItem(kButtonClass, A::cmdOK, t::kAboutOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 180, 128, 52, 15);
    return layout;
}

}  // namespace

VersionFacts frmAbout::ReadVersionFacts(const std::wstring& modulePath) {
    VersionFacts facts;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(modulePath.c_str(), &ignored);
    if (size == 0) return facts;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(modulePath.c_str(), 0, size, block.data())) return facts;
    void* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &fixed, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        facts.major = HIWORD(info->dwFileVersionMS);
        facts.minor = LOWORD(info->dwFileVersionMS);
        facts.revision = LOWORD(info->dwFileVersionLS);
    }
    const std::wstring table = StringTableOf(block);
    facts.productName = StringOf(block, table.c_str(), L"ProductName");
    facts.description = StringOf(block, table.c_str(), L"FileDescription");
    facts.legalNotice = StringOf(block, table.c_str(), L"LegalCopyright");
    return facts;
}

std::wstring frmAbout::VersionText(const VersionFacts& facts) {
    return t::kAboutVersion + std::to_wstring(facts.major) + L"." + std::to_wstring(facts.minor) + L"." +
           std::to_wstring(facts.revision);
}

std::wstring frmAbout::RegisteredUserLine() {
    cRegistry registry;
    registry.SetClassKey(cRegistry::kUsers);
    registry.SetSectionKey(kUserInfoKey);
    if (!registry.KeyExists()) return L"";
    registry.SetValueKey(L"DefName");
    const RegistryValue name = registry.Value();
    const auto* text = std::get_if<std::wstring>(&name);
    return t::kAboutLicensedTo + (text ? *text : std::wstring());
}

void frmAbout::Show(HWND owner, const Opener& open) {
    DialogState state;
    state.open = open;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
