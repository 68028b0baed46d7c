#include "qnrFichier.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "Hourglass.h"
#include "Texts.h"
#include "TextCase.h"

namespace bralto {

namespace {

const wchar_t kClassName[] = L"qnrFichier";
constexpr UINT_PTR kSubclassId = 1;

// From the last "." on, "" when there is none.
std::wstring ExtensionOf(const std::wstring& name) {
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? L"" : name.substr(dot);
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct ColumnDesign {
    const wchar_t* header;
    int format;
    float twips;
};
const ColumnDesign kColumns[] = {
    {texts::kColumnName, LVCFMT_LEFT, qnrFichier::kNameWidth},
    {texts::kColumnSize, LVCFMT_RIGHT, qnrFichier::kSizeWidth},
    {texts::kColumnType, LVCFMT_LEFT, qnrFichier::kTypeWidth},
    {texts::kColumnModified, LVCFMT_LEFT, qnrFichier::kDateWidth},
};

DWORD ViewStyle(long view) {
    switch (view) {
    case 1: return LVS_SMALLICON;
    case 2: return LVS_LIST;
    case 3: return LVS_REPORT;
    default: return LVS_ICON;
    }
}

// The texts of the sorting column, taken before the sort: the list view
// moves rows while it sorts, so a row's index is no stable way to its text
// (Wine's sort by index reads rows from the half-sorted list).
struct SortContext {
    std::vector<std::wstring> keys;  // by the row's parameter
    bool descending;
};

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[MAX_PATH * 2] = {};
    ListView_GetItemText(list, row, column, text, MAX_PATH * 2);
    return text;
}

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context) {
    const auto* sort = reinterpret_cast<const SortContext*>(context);
    const int order =
        lstrcmpiW(sort->keys[static_cast<size_t>(first)].c_str(), sort->keys[static_cast<size_t>(second)].c_str());
    return sort->descending ? -order : order;
}

}  // namespace

std::wstring KilobytesText(unsigned long long bytes) {
    const unsigned long long kilobytes = bytes / 1024 + (bytes % 1024 ? 1 : 0);
    std::wstring digits = std::to_wstring(kilobytes);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L' ');
    return digits + texts::kKilobytes;
}

std::wstring ModifiedText(const FILETIME& lastWrite) {
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&lastWrite, &local) || !FileTimeToSystemTime(&local, &time)) return L"";
    wchar_t text[40];
    swprintf(text, 40, L"%02u/%02u/%u %02u:%02u:%02u", time.wDay, time.wMonth, time.wYear, time.wHour, time.wMinute,
             time.wSecond);
    return text;
}

qnrFichier::~qnrFichier() {
    if (list_) RemoveWindowSubclass(list_, &qnrFichier::ListProc, kSubclassId);
    DestroyControlWindow();
}

bool qnrFichier::Create(const qnrFichierArgs& args) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    {
        WindowDc screen(nullptr);
        dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
    }
    filter_ = args.filter;
    showFolders_ = args.showFolders;
    parentTree_ = args.parentTree;
    if (!CreateControlWindow(kClassName, args.parent, args.id, args.place,
                             WS_CLIPCHILDREN | (args.visible ? WS_VISIBLE : 0), WS_EX_CONTROLPARENT))
        return false;
    RECT client;
    GetClientRect(ControlWindow::hWnd(), &client);
    // The control owns the icon cache: the list view must not destroy it.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE |
                        ViewStyle(args.view) | (args.multiSelect ? 0 : LVS_SINGLESEL) |
                        (args.hideColumnHeaders ? LVS_NOCOLUMNHEADER : 0) | LVS_SHOWSELALWAYS;
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, client.right, client.bottom,
                            ControlWindow::hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!list_) return false;
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (args.fullRowSelect) ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW design = {};
        design.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
        design.fmt = kColumns[column].format;
        design.cx = MulDiv(static_cast<int>(kColumns[column].twips), dpi_, 1440);
        design.pszText = const_cast<wchar_t*>(kColumns[column].header);
        design.iSubItem = column;
        ListView_InsertColumn(list_, column, &design);
    }
    SetWindowSubclass(list_, &qnrFichier::ListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    EnableWindow(ControlWindow::hWnd(), args.enabled);
    return true;
}

// Listing ----------------------------------------------------------------

bool qnrFichier::GetFiles(const std::wstring& path) {
    Hourglass hourglass;
    ListView_DeleteAllItems(list_);
    const bool smallIcons = View() != 0;
    bool failed = false;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((path + L"\\" + filter_).c_str(), &found));
    if (search) {
        do {
            const RowResult row = AddRow(path, found, smallIcons);
            if (row == RowResult::kFailed) {
                failed = true;
                break;
            }
            if (row == RowResult::kAdded && TreeKeyIsWaiting(failed)) break;
            if (failed) break;
        } while (FindNextFileW(search.get(), &found));
    }
    search.reset();
    if (failed) return false;
    path_ = path;
    if (sorted_) Sort();
    if (ItemCount() > 0) ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return true;
}

qnrFichier::RowResult qnrFichier::AddRow(const std::wstring& folder, const WIN32_FIND_DATAW& found, bool smallIcons) {
    const std::wstring name = found.cFileName;
    if (name.empty() || name[0] == L'.') return RowResult::kSkipped;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && !showFolders_) return RowResult::kSkipped;
    SHFILEINFOW info = {};
    const UINT flags = SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | (smallIcons ? SHGFI_SMALLICON : 0);
    if (!SHGetFileInfoW((folder + L"\\" + name).c_str(), 0, &info, sizeof(info), flags)) return RowResult::kSkipped;
    UniqueHIcon icon(info.hIcon);

    // The shell may hide known extensions; the list always shows them.
    const std::wstring extension = Lower(ExtensionOf(name));
    std::wstring display = info.szDisplayName;
    if (!EndsWith(Lower(display), extension)) display += extension;

    // Folders, extension-less files and programs each have icons of their
    // own; other files share their extension's.
    const std::wstring full = folder + L"\\" + display;
    const std::wstring key = isFolder || extension.empty() || Upper(extension) == L".EXE" ? full : ExtensionOf(display);
    const int image = CachedImage(key, icon.get(), smallIcons);
    if (image < 0) return RowResult::kFailed;

    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    row.iItem = ItemCount();
    row.pszText = const_cast<wchar_t*>(display.c_str());
    row.iImage = image;
    row.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    const int index = ListView_InsertItem(list_, &row);
    if (index < 0) return RowResult::kFailed;
    const unsigned long long bytes = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    std::wstring size = KilobytesText(bytes), type = info.szTypeName, date = ModifiedText(found.ftLastWriteTime);
    ListView_SetItemText(list_, index, 1, &size[0]);
    ListView_SetItemText(list_, index, 2, &type[0]);
    ListView_SetItemText(list_, index, 3, &date[0]);
    return RowResult::kAdded;
}

int qnrFichier::CachedImage(const std::wstring& key, HICON icon, bool smallIcons) {
    const int known = images_.IndexOf(key);
    if (known >= 0) return known;
    if (!images_ && !images_.Make(GetSystemMetrics(smallIcons ? SM_CXSMICON : SM_CXICON))) return -1;
    const bool first = images_.KeyCount() == 0;
    const int index = images_.Add(key, icon);
    if (index < 0) return -1;
    if (first) {
        ListView_SetImageList(list_, images_.get(), LVSIL_NORMAL);
        ListView_SetImageList(list_, images_.get(), LVSIL_SMALL);
    }
    return index;
}

void qnrFichier::EmptyIconCache() {
    ListView_SetImageList(list_, nullptr, LVSIL_NORMAL);
    ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
    images_.Clear();  // the next one is made at the size of the new view
}

bool qnrFichier::TreeKeyIsWaiting(bool& failed) const {
    if (!parentTree_) return false;
    if (!IsWindow(parentTree_)) {
        failed = true;  // a link to a tree that is not there
        return false;
    }
    MSG waiting;
    if (!PeekMessageW(&waiting, parentTree_, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) return false;
    return waiting.wParam == VK_UP || waiting.wParam == VK_DOWN;
}

// Properties -------------------------------------------------------------

void qnrFichier::ShowFolders(bool show) {
    showFolders_ = show;
    RefreshList();
}

long qnrFichier::View() const {
    switch (GetWindowLongW(list_, GWL_STYLE) & LVS_TYPEMASK) {
    case LVS_SMALLICON: return 1;
    case LVS_LIST: return 2;
    case LVS_REPORT: return 3;
    default: return 0;
    }
}

void qnrFichier::View(long view) {
    const long current = View();
    const bool iconSizeChanges = (current != 0) != (view != 0);
    if (iconSizeChanges) EmptyIconCache();
    const LONG style = GetWindowLongW(list_, GWL_STYLE);
    SetWindowLongW(list_, GWL_STYLE, static_cast<LONG>((style & ~LVS_TYPEMASK) | ViewStyle(view)));
    if (iconSizeChanges) RefreshList();
}

float qnrFichier::ColumnWidth(int column) const {
    return static_cast<float>(ListView_GetColumnWidth(list_, column)) * 1440.0f / static_cast<float>(dpi_);
}

void qnrFichier::ColumnWidth(int column, float twips) {
    ListView_SetColumnWidth(list_, column, MulDiv(static_cast<int>(twips + 0.5f), dpi_, 1440));
}

void qnrFichier::BackColor(long colour) {
    backColor_ = colour;
    ListView_SetBkColor(list_, OleColorToRgb(colour));
    ListView_SetTextBkColor(list_, OleColorToRgb(colour));
    InvalidateRect(list_, nullptr, TRUE);
}

void qnrFichier::ForeColor(long colour) {
    foreColor_ = colour;
    ListView_SetTextColor(list_, OleColorToRgb(colour));
    InvalidateRect(list_, nullptr, TRUE);
}

bool qnrFichier::Enabled() const { return IsWindowEnabled(ControlWindow::hWnd()) != 0; }
void qnrFichier::Enabled(bool enabled) { EnableWindow(ControlWindow::hWnd(), enabled); }

bool qnrFichier::HasStyle(DWORD bits) const {
    return (static_cast<DWORD>(GetWindowLongW(list_, GWL_STYLE)) & bits) == bits;
}

void qnrFichier::Style(DWORD bits, bool on) {
    const DWORD style = static_cast<DWORD>(GetWindowLongW(list_, GWL_STYLE));
    SetWindowLongW(list_, GWL_STYLE, static_cast<LONG>(on ? style | bits : style & ~bits));
    SetWindowPos(list_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

bool qnrFichier::HasExStyle(DWORD bits) const { return (ListView_GetExtendedListViewStyle(list_) & bits) == bits; }

void qnrFichier::ExStyle(DWORD bits, bool on) { ListView_SetExtendedListViewStyleEx(list_, bits, on ? bits : 0); }

void qnrFichier::Sorted(bool sorted) {
    sorted_ = sorted;
    if (sorted_) Sort();
}

void qnrFichier::SortOrder(long order) {
    sortOrder_ = order;
    if (sorted_) Sort();
}

void qnrFichier::SortKey(short column) {
    sortKey_ = column;
    if (sorted_) Sort();
}

void qnrFichier::Sort() {
    const int column = sortKey_ >= 0 && sortKey_ < 4 ? sortKey_ : 0;
    SortContext context = {{}, sortOrder_ == 1};
    for (int row = 0; row < ItemCount(); ++row) {
        context.keys.push_back(CellText(list_, row, column));
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = row;
        ListView_SetItem(list_, &item);
    }
    ListView_SortItems(list_, &CompareRows, reinterpret_cast<LPARAM>(&context));
}

// Rows -------------------------------------------------------------------

int qnrFichier::ItemCount() const { return ListView_GetItemCount(list_); }

std::wstring qnrFichier::ItemText(int row, int column) const { return CellText(list_, row, column); }

int qnrFichier::ItemImage(int row) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return ListView_GetItem(list_, &item) ? item.iImage : -1;
}

bool qnrFichier::IsItemSelected(int row) const {
    return (ListView_GetItemState(list_, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void qnrFichier::SetItemSelected(int row, bool selected) {
    ListView_SetItemState(list_, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

int qnrFichier::SelectedItem() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void qnrFichier::SelectedItem(int row) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
    if (row >= 0) ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int qnrFichier::DropHighLight() const { return ListView_GetNextItem(list_, -1, LVNI_DROPHILITED); }

void qnrFichier::DropHighLight(int row) {
    ListView_SetItemState(list_, -1, 0, LVIS_DROPHILITED);
    if (row >= 0) ListView_SetItemState(list_, row, LVIS_DROPHILITED, LVIS_DROPHILITED);
}

int qnrFichier::FindItem(const std::wstring& text, bool partial, int after) const {
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING | (partial ? LVFI_PARTIAL : 0);
    find.psz = text.c_str();
    return ListView_FindItem(list_, after, &find);
}

int qnrFichier::GetFirstVisible() const { return ItemCount() ? ListView_GetTopIndex(list_) : -1; }

int qnrFichier::HitTest(int x, int y) const {
    LVHITTESTINFO hit = {};
    hit.pt = {x, y};
    return ListView_HitTest(list_, &hit);
}

int qnrFichier::ImageCount() const { return images_.ImageCount(); }

int qnrFichier::ImageIndexOf(const std::wstring& key) const { return images_.IndexOf(key); }

void qnrFichier::Refresh() { RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

// Messages ---------------------------------------------------------------

LRESULT qnrFichier::OnNotify(const NMHDR& header) {
    switch (header.code) {
    case LVN_COLUMNCLICK:
        if (ColumnClick) ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return 0;
    case NM_CLICK: {
        const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
        if (row >= 0 && ItemClick) ItemClick(row);
        ForwardClickNotification(header.code);
        return 0;
    }
    default: ForwardClickNotification(header.code); return 0;
    }
}

LRESULT qnrFichier::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (KeepInnerWindowInStep(list_, message, wParam, lParam)) return 0;
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == list_) return OnNotify(*header);
    }
    return ControlWindow::HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK qnrFichier::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self) {
    return reinterpret_cast<qnrFichier*>(self)->OnListMessage(message, wParam, lParam);
}

LRESULT qnrFichier::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Click and DblClick come from the list view's notifications.
    if (ForwardKey(message, wParam, lParam) == KeyOutcome::kSwallowed) return 0;
    ForwardMouse(message, wParam, lParam);
    return DefSubclassProc(list_, message, wParam, lParam);
}

}  // namespace bralto
