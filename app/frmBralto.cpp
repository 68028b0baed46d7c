#include "frmBralto.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <set>

#include "AppLifetime.h"
#include "Common.h"
#include "QnrZipClient.h"
#include "Settings.h"
#include "Texts.h"
#include "ToolbarImages.h"
#include "WindowClass.h"
#include "cUnzip.h"
#include "qnrBI4Anim.h"
#include "qnrDock.h"
#include "unzip_api.h"

namespace bralto {

namespace {

const wchar_t kWindowClass[] = L"BraltoMainWindow";

// Designed sizes in twips.
constexpr int kClientWidth = 7905, kClientHeight = 4920;
constexpr int kMinWidth = 2500, kMinHeight = 3500;
constexpr int kListTop = 600;
constexpr int kCancelWidth = 1335, kCancelHeight = 375;
constexpr int kColumnWidths[kListColumns] = {4410, 617, 3528, 2540, 1764, 882, 1764, 5292};
constexpr int kColumnFormats[kListColumns] = {LVCFMT_LEFT,  LVCFMT_CENTER, LVCFMT_LEFT,  LVCFMT_LEFT,
                                              LVCFMT_RIGHT, LVCFMT_RIGHT,  LVCFMT_RIGHT, LVCFMT_LEFT};
// Toolbar buttons 1 to 6 run these menu commands.
constexpr int kButtonCommands[frmBralto::kToolButtons] = {frmBralto::mnuFichier + 0, frmBralto::mnuFichier + 1,
                                                          frmBralto::mnuAction + 0,  frmBralto::mnuAction + 1,
                                                          frmBralto::mnuAction + 2,  frmBralto::mnuAction + 3};

frmBralto* g_mainWindow = nullptr;

void RegisterWindowClass(WNDPROC proc) {
    WindowClassDesign design;
    design.name = kWindowClass;
    design.proc = proc;
    design.icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    // The caption's icon from the 16-pixel drawing, not the large one shrunk.
    design.smallIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    design.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterWindowClassOnce(design);
}

// imaList: kept for as long as the program runs, so icons found for one
// archive serve the next.
IconCache& ProgramIcons() {
    static IconCache cache;
    return cache;
}

HMENU AppendPopup(HMENU bar, const wchar_t* caption) {
    HMENU popup = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), caption);
    return popup;
}

void AppendItems(HMENU popup, int base, const wchar_t* const* captions, int count, bool enabled) {
    for (int i = 0; i < count; ++i) {
        if (captions[i][0] == L'-' && captions[i][1] == 0)
            AppendMenuW(popup, MF_SEPARATOR, static_cast<UINT_PTR>(base + i), nullptr);
        else
            AppendMenuW(popup, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(base + i),
                        captions[i]);
    }
}

}  // namespace

// The in-process unzip object's events: only its messages matter to a
// listing; the other requests keep their starting answers.
class frmBralto::ListingEvents : public IUnzipEvents {
public:
    explicit ListingEvents(frmBralto& owner) : owner_(owner) {}
    void Progress(const std::wstring& message) override { owner_.OnUnzipProgress(message); }
    void Cancel(const std::wstring&, bool&) override {}
    void OverwritePrompt(const std::wstring&, long&) override {}
    void PasswordRequest(std::wstring&, bool&, const std::wstring&) override {}

private:
    frmBralto& owner_;
};

frmBralto* MainWindow() { return g_mainWindow; }

frmBralto::frmBralto() : listingEvents_(std::make_unique<ListingEvents>(*this)) {}

frmBralto::~frmBralto() {
    if (m_AsyncZip) m_AsyncZip->Release();
    if (m_AsyncUnzip) m_AsyncUnzip->Release();
    if (hwnd_) DestroyWindow(hwnd_);
}

int frmBralto::Twips(int twips) const { return MulDiv(twips, dpiX_, 1440); }
int frmBralto::TwipsY(int twips) const { return MulDiv(twips, dpiY_, 1440); }

void frmBralto::Show() {
    if (!hwnd_) {
        RegisterWindowClass(&frmBralto::WindowProc);
        dpiX_ = ScreenDpi(LOGPIXELSX);
        dpiY_ = ScreenDpi(LOGPIXELSY);
        RECT frame = {0, 0, Twips(kClientWidth), TwipsY(kClientHeight)};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_ACCEPTFILES);
        CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, texts::kProgramName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                        nullptr, GetModuleHandleW(nullptr), this);
    }
    if (hwnd_) {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
    }
}

void frmBralto::OnCreate() {
    g_mainWindow = this;
    // The class icons, also as the window's own: WM_GETICON, which the task
    // switcher asks, answers only with these.
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, GetClassLongPtrW(hwnd_, GCLP_HICON));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, GetClassLongPtrW(hwnd_, GCLP_HICONSM));
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));

    CreateMenus();
    CreateToolbar();
    CreateList();
    log_ = std::make_unique<qnrDock>();
    log_->Create(hwnd_, qnrDockId, texts::kLogCaption);
    anim_ = std::make_unique<qnrBI4Anim>();
    anim_->Create(hwnd_, qnrAnimId);
    cancelButton_ = CreateWindowExW(0, L"BUTTON", texts::kCancel, WS_CHILD | BS_PUSHBUTTON, 0, 0, Twips(kCancelWidth),
                                    TwipsY(kCancelHeight), hwnd_, reinterpret_cast<HMENU>(cmdCancel),
                                    GetModuleHandleW(nullptr), nullptr);
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(staBar), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(status_, SB_SIMPLE, TRUE, 0);
    for (HWND control : {list_, cancelButton_, status_})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    RestorePlacement();
    DragAcceptFiles(hwnd_, TRUE);
    LoadMRU(mru_);
    ShowRecentMenu();
}

void frmBralto::CreateMenus() {
    menuBar_ = CreateMenu();
    fileMenu_ = AppendPopup(menuBar_, texts::kTopMenus[0]);
    AppendItems(fileMenu_, mnuFichier, texts::kFichierItems, 2, true);
    // mnuMRU and mnuQuitter follow; ShowRecentMenu inserts the visible
    // recent entries between "&Ouvrir" and the quit separator.
    AppendItems(fileMenu_, mnuQuitter, texts::kQuitterItems, 2, true);
    AppendItems(AppendPopup(menuBar_, texts::kTopMenus[1]), mnuEdition, texts::kEditionItems, 2, false);
    AppendItems(AppendPopup(menuBar_, texts::kTopMenus[2]), mnuAction, texts::kActionItems, 4, false);
    AppendItems(AppendPopup(menuBar_, texts::kTopMenus[3]), mnuOutils, texts::kOutilsItems, 3, false);
    AppendItems(AppendPopup(menuBar_, texts::kTopMenus[4]), mnuAide, texts::kAideItems, 4, true);
    SetMenu(hwnd_, menuBar_);
}

void frmBralto::CreateToolbar() {
    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_TOP, 0, 0,
                               0, 0, hwnd_, reinterpret_cast<HMENU>(tooBar), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    buttonImages_ = CreateToolbarImages();
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(buttonImages_.get()));
    TBBUTTON buttons[kToolButtons + 1] = {};
    int at = 0;
    for (int i = 0; i < kToolButtons; ++i) {
        if (i == 2) buttons[at++] = TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
        buttons[at++] =
            TBBUTTON{i, kButtonCommands[i], static_cast<BYTE>(i < 2 ? TBSTATE_ENABLED : 0), BTNS_BUTTON, {}, 0, 0};
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, at, reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void frmBralto::CreateList() {
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
                            0, 0, hwnd_, reinterpret_cast<HMENU>(lisFich), GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP);
    ListView_SetImageList(list_, ProgramIcons().ImageList(), LVSIL_SMALL);
    for (int c = 0; c < kListColumns; ++c) {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kColumnFormats[c];
        column.cx = Twips(kColumnWidths[c]);
        column.pszText = const_cast<wchar_t*>(texts::kColumns[c]);
        column.iSubItem = c;
        ListView_InsertColumn(list_, c, &column);
    }
}

void frmBralto::RestorePlacement() {
    auto placement = Settings::MainWindowPlacement();
    if (!placement) return;
    MoveWindow(hwnd_, Twips(placement->left), TwipsY(placement->top), Twips(placement->width),
               TwipsY(placement->height), TRUE);
}

void frmBralto::SavePlacement() {
    if (IsIconic(hwnd_) || IsZoomed(hwnd_)) return;
    RECT frame;
    GetWindowRect(hwnd_, &frame);
    auto twipsX = [this](long pixels) { return static_cast<long>(MulDiv(pixels, 1440, dpiX_)); };
    auto twipsY = [this](long pixels) { return static_cast<long>(MulDiv(pixels, 1440, dpiY_)); };
    Settings::SaveMainWindowPlacement(twipsY(frame.bottom - frame.top), twipsX(frame.right - frame.left),
                                      twipsY(frame.top), twipsX(frame.left));
}

void frmBralto::OnGetMinMaxInfo(MINMAXINFO& info) {
    info.ptMinTrackSize.x = Twips(kMinWidth);
    info.ptMinTrackSize.y = TwipsY(kMinHeight);
}

void frmBralto::OnSize(int w, int h) {
    if (IsIconic(hwnd_)) return;
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    SendMessageW(status_, WM_SIZE, 0, 0);
    InvalidateRect(status_, nullptr, TRUE);
    RECT statusRect;
    GetWindowRect(status_, &statusRect);
    const int s = statusRect.bottom - statusRect.top;
    const int listTop = TwipsY(kListTop);
    MoveWindow(list_, 0, listTop, w, std::max(0, h - listTop - s), TRUE);
    log_->Move(Twips(400), TwipsY(900), w - Twips(800), h - s - TwipsY(1800));
    anim_->Move(w - qnrBI4Anim::kSize, h - qnrBI4Anim::kSize);
    RECT cancel;
    GetWindowRect(cancelButton_, &cancel);
    const int cw = cancel.right - cancel.left, ch = cancel.bottom - cancel.top;
    SetWindowPos(cancelButton_, HWND_TOP, w / 2 - cw / 2, h / 2 - ch / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

bool frmBralto::OnQueryUnload() { return !busy_; }

void frmBralto::OnDestroy() {
    DragAcceptFiles(hwnd_, FALSE);
    SavePlacement();
    if (g_mainWindow == this) g_mainWindow = nullptr;
}

// ---- Menu state ----

void frmBralto::EnableMenuItemOf(int id, bool enabled) {
    EnableMenuItem(menuBar_, static_cast<UINT>(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool frmBralto::IsMenuItemEnabled(int id) const {
    const UINT state = GetMenuState(menuBar_, static_cast<UINT>(id), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void frmBralto::EnableTopMenus(bool enabled) {
    for (int i = 0; i < kTopMenus; ++i)
        EnableMenuItem(menuBar_, static_cast<UINT>(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(hwnd_);
}

void frmBralto::EnableToolButton(int button, bool enabled) {
    SendMessageW(toolbar_, TB_ENABLEBUTTON, kButtonCommands[button - 1], MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void frmBralto::EnableToolbar(bool enabled) { EnableWindow(toolbar_, enabled); }

void frmBralto::SetArchiveItemsForNew() {
    EnableMenuItemOf(mnuAction + 0, true);
    for (int i = 1; i <= 3; ++i) EnableMenuItemOf(mnuAction + i, false);
    for (int i = 0; i <= 1; ++i) EnableMenuItemOf(mnuEdition + i, false);
    for (int i = 0; i <= 2; ++i) EnableMenuItemOf(mnuOutils + i, false);
    EnableToolButton(3, true);
    for (int b = 4; b <= 6; ++b) EnableToolButton(b, false);
}

void frmBralto::SetArchiveItemsForNone() {
    for (int i = 0; i <= 3; ++i) EnableMenuItemOf(mnuAction + i, false);
    for (int i = 0; i <= 1; ++i) EnableMenuItemOf(mnuEdition + i, false);
    for (int i = 0; i <= 2; ++i) EnableMenuItemOf(mnuOutils + i, false);
    for (int b = 3; b <= 6; ++b) EnableToolButton(b, false);
}

void frmBralto::SetCaption(const std::wstring& caption) { SetWindowTextW(hwnd_, caption.c_str()); }

void frmBralto::SetStatus(const std::wstring& text) {
    statusText_ = text;
    SendMessageW(status_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow(status_);
}

std::wstring frmBralto::StatusText() const { return statusText_; }

std::wstring frmBralto::LogText() const { return log_->Text(); }
bool frmBralto::LogVisible() const { return log_->Visible(); }
bool frmBralto::IsAnimationPlaying() const { return anim_->IsPlaying(); }

int frmBralto::Message(const std::wstring& text, UINT style) {
    return MessageBoxW(hwnd_, text.c_str(), texts::kProgramName, style);
}

// ---- Recent archives ----

void frmBralto::ShowRecentMenu() {
    // Rebuild the items between "&Ouvrir" (position 1) and the quit separator.
    for (int i = 0; i <= MruMenu::kEntries; ++i) DeleteMenu(fileMenu_, static_cast<UINT>(mnuMRU + i), MF_BYCOMMAND);
    UINT position = 2;
    for (int i = 0; i <= MruMenu::kEntries; ++i) {
        const MruItem& item = mru_.items[i];
        if (!item.visible) continue;
        if (i == 0)
            InsertMenuW(fileMenu_, position++, MF_BYPOSITION | MF_SEPARATOR, mnuMRU, nullptr);
        else
            InsertMenuW(fileMenu_, position++, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(mnuMRU + i),
                        item.caption.c_str());
    }
}

void frmBralto::AddToRecent(const std::wstring& path) {
    if (AddMRU(mru_, path)) ShowRecentMenu();
}

// ---- Listing ----

void frmBralto::OnUnzipProgress(const std::wstring& message) { AppendLog(message); }

void frmBralto::AppendLog(const std::wstring& message) {
    LastMessage = CrLfText(message);
    log_->AppendText(LastMessage + texts::kCrLf);
}

bool frmBralto::OpenAZip(const std::wstring& path) {
    if (!hwnd_) Show();
    m_Unzip = std::make_unique<cUnzip>();
    m_Unzip->SetListener(listingEvents_.get());
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetStatus(texts::kReading);
    UpdateWindow(hwnd_);

    m_Unzip->ZipFile(path);
    const long r = m_Unzip->Directory();
    SetCursor(previous);

    const std::wstring crlf = texts::kCrLf;
    bool success = false;
    switch (r) {
    case PK_OK: success = true; break;
    case PK_WARN:  // an empty archive, or the last disk of a split one
        if (LastMessage.find(L"zipfile is empty") == std::wstring::npos)
            Message(path + texts::kLastVolume1 + texts::kLastVolume2 + crlf + texts::kLastVolume3 + crlf +
                        texts::kLastVolume4 + texts::kLastVolume5,
                    MB_ICONINFORMATION);
        success = true;
        break;
    case PK_ERR:
        Message(texts::kDamaged1 + path + texts::kDamaged2 + crlf + texts::kDamaged3 + texts::kDamaged4, MB_ICONERROR);
        success = true;
        break;
    case PK_NOZIP:
        if (LastMessage.find(L"cannot find zipfile directory") != std::wstring::npos)
            Message(texts::kOpenFailed + path + crlf + texts::kNotAZip1 + crlf + texts::kNotAZip2 + texts::kNotAZip3,
                    MB_ICONERROR);
        else if (LastMessage.find(L"cannot find either") != std::wstring::npos)
            Message(texts::kOpenFailed + path + crlf + texts::kNotFound, MB_ICONERROR);
        else  // a failed open always says so, whatever the library printed
            Message(texts::kOpenError, MB_ICONERROR);
        break;
    default: Message(texts::kOpenError, MB_ICONERROR); break;
    }

    if (!success) {
        ClearArchiveList();
        SetCaption(texts::kProgramName);
        archivePath_.clear();
        SetArchiveItemsForNone();
        SetStatus(texts::kReady);
        return false;
    }
    FillArchiveList(*m_Unzip);
    SetStatus(texts::kReady);
    AddToRecent(path);
    for (int i = 0; i <= 1; ++i) EnableMenuItemOf(mnuEdition + i, true);
    for (int i = 0; i <= 2; ++i) EnableMenuItemOf(mnuOutils + i, true);
    return true;
}

void frmBralto::FillArchiveList(const cUnzip& unzip) {
    rows_ = BuildArchiveRows(unzip, ProgramIcons());
    SortArchiveRows(rows_, sortColumn_, sortDescending_);
    ShowRows();
    SetCaption(FileTitleOf(unzip.ZipFile()));
    archivePath_ = unzip.ZipFile();

    const bool hasMembers = !rows_.empty();
    EnableMenuItemOf(mnuAction + 0, true);
    for (int i = 1; i <= 3; ++i) EnableMenuItemOf(mnuAction + i, hasMembers);
    EnableToolButton(3, true);
    for (int b = 4; b <= 6; ++b) EnableToolButton(b, hasMembers);
}

void frmBralto::ShowRows() {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void frmBralto::ClearArchiveList() {
    rows_.clear();
    ShowRows();
}

void frmBralto::SortRows() {
    // Selected rows stay selected wherever the sort puts them.
    std::set<long> selected;
    for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
        selected.insert(rows_[static_cast<size_t>(i)].index);
    SortArchiveRows(rows_, sortColumn_, sortDescending_);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    for (size_t i = 0; i < rows_.size() && !selected.empty(); ++i)
        if (selected.count(rows_[i].index))
            ListView_SetItemState(list_, static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
    InvalidateRect(list_, nullptr, TRUE);
}

void frmBralto::OnColumnClick(int column) {
    if (column == sortColumn_)
        sortDescending_ = !sortDescending_;
    else
        sortColumn_ = column;
    SortRows();
}

LRESULT frmBralto::OnNotify(NMHDR& header) {
    if (header.hwndFrom == list_) {
        switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
            if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows_.size()) return 0;
            const ArchiveRow& row = rows_[static_cast<size_t>(item.iItem)];
            if ((item.mask & LVIF_TEXT) && item.iSubItem >= 0 && item.iSubItem < kListColumns && item.cchTextMax > 0)
                lstrcpynW(item.pszText, row.text[static_cast<size_t>(item.iSubItem)].c_str(), item.cchTextMax);
            if (item.mask & LVIF_IMAGE) item.iImage = row.icon;
            return 0;
        }
        case LVN_COLUMNCLICK: OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem); return 0;
        case LVN_KEYDOWN: OnListKeyDown(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey); return 0;
        }
    }
    if (header.code == TTN_GETDISPINFOW) {
        auto& tip = reinterpret_cast<NMTTDISPINFOW&>(header);
        for (int i = 0; i < kToolButtons; ++i)
            if (static_cast<UINT_PTR>(kButtonCommands[i]) == header.idFrom)
                tip.lpszText = const_cast<wchar_t*>(texts::kToolTips[i]);
        return 0;
    }
    return 0;
}

// ---- Window procedure ----

LRESULT CALLBACK frmBralto::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<frmBralto*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        TopLevelWindowOpened();
    }
    auto* self = reinterpret_cast<frmBralto*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        TopLevelWindowClosed();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT frmBralto::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_SETFOCUS: SetFocus(list_); return 0;
    case WM_KEYDOWN: CancelOnEscape(static_cast<WORD>(wParam)); return 0;
    case WM_CLOSE:
        if (OnQueryUnload()) DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_APP: ReleaseFinishedJobs(); return 0;
    case WM_DROPFILES: DropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace bralto
