#include "AddFilesSelection.h"

#include <commctrl.h>
#include <shellapi.h>

#include "Texts.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

constexpr int kIconSize = 16;
constexpr COLORREF kMask = RGB(255, 0, 255);
// Icon numbers count from 1, image list indexes from 0.
constexpr int kFolderAloneIcon = 1, kFolderTreeIcon = 2, kFirstFileIcon = 3;

int ImageIndexOf(int icon) { return icon - 1; }

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[MAX_PATH * 2] = {};
    ListView_GetItemText(list, row, column, text, MAX_PATH * 2);
    return text;
}

SelectionKind KindOfMarker(const std::wstring& marker) {
    if (marker == L"A") return SelectionKind::FolderWithSubFolders;
    if (marker == L"B") return SelectionKind::FolderAlone;
    return SelectionKind::File;
}

// A closed folder: a tab above a yellow body, `dx`, `dy` pixels from the
// top-left corner, `w` x `h` pixels.
void DrawFolder(HDC dc, int dx, int dy, int w, int h) {
    UniqueGdiObject body(CreateSolidBrush(RGB(240, 200, 80)));
    UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(150, 110, 20)));
    SelectedObject brush(dc, body.get()), pen(dc, edge.get());
    Rectangle(dc, dx, dy, dx + w / 2, dy + 3);
    Rectangle(dc, dx, dy + 2, dx + w, dy + h);
}

// Draws one 16 x 16 picture on the mask colour and adds it to `images`.
template <typename Draw>
void AddDrawnImage(HIMAGELIST images, Draw draw) {
    Surface surface;
    if (!surface.Make(kIconSize, kIconSize)) return;
    RECT all = {0, 0, kIconSize, kIconSize};
    UniqueGdiObject mask(CreateSolidBrush(kMask));
    FillRect(surface.dc(), &all, static_cast<HBRUSH>(mask.get()));
    draw(surface.dc());
    // The image list copies the picture: the surface's own bitmap must be
    // out of its DC, so the copy is taken through a second bitmap.
    WindowDc screen(nullptr);
    UniqueGdiObject copy(CreateCompatibleBitmap(screen.get(), kIconSize, kIconSize));
    UniqueMemoryDc target(CreateCompatibleDC(screen.get()));
    {
        SelectedObject into(target.get(), copy.get());
        BitBlt(target.get(), 0, 0, kIconSize, kIconSize, surface.dc(), 0, 0, SRCCOPY);
    }
    ImageList_AddMasked(images, static_cast<HBITMAP>(copy.get()), kMask);
}

}  // namespace

std::wstring AddSelection::Folder() const {
    const size_t slash = text.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : text.substr(0, slash);
}

std::wstring AddSelection::Mask() const {
    const size_t slash = text.find_last_of(L'\\');
    return slash == std::wstring::npos ? text : text.substr(slash + 1);
}

const wchar_t* SelectionMarker(SelectionKind kind) {
    switch (kind) {
    case SelectionKind::FolderWithSubFolders: return L"A";
    case SelectionKind::FolderAlone: return L"B";
    default: return L"X";
    }
}

bool SelectionMayConflict(const std::vector<AddSelection>& rows) {
    int weight = 0;
    for (const AddSelection& row : rows)
        if (row.IsFolder()) weight += row.icon;
    return weight > 1;
}

std::wstring FileImageKey(const std::wstring& displayName) {
    const size_t dot = displayName.find_last_of(L'.');
    return dot == std::wstring::npos ? displayName : displayName.substr(dot);
}

bool SelectionList::Create(HWND dialog, int id, const RECT& place) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, place.left, place.top, place.right - place.left,
                            place.bottom - place.top, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (!list_) return false;
    SendMessageW(list_, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    ListView_SetExtendedListViewStyleEx(list_, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    // The marker column is for the program, not for the eye: it starts
    // closed, the path column takes the whole width.
    const wchar_t* headers[] = {t::kAddColumnFile, t::kAddColumnKind};
    const int widths[] = {place.right - place.left - GetSystemMetrics(SM_CXVSCROLL) - 4, 0};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW design = {};
        design.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        design.cx = widths[column];
        design.pszText = const_cast<wchar_t*>(headers[column]);
        design.iSubItem = column;
        ListView_InsertColumn(list_, column, &design);
    }
    images_.reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 4, 4));
    MakeFolderImages();
    ListView_SetImageList(list_, images_.get(), LVSIL_SMALL);
    return true;
}

void SelectionList::MakeFolderImages() {
    // 1: a folder alone; 2: a folder in front of the sub-folders it holds.
    AddDrawnImage(images_.get(), [](HDC dc) { DrawFolder(dc, 1, 3, 14, 11); });
    AddDrawnImage(images_.get(), [](HDC dc) {
        DrawFolder(dc, 6, 0, 10, 8);
        DrawFolder(dc, 0, 5, 12, 10);
    });
}

void SelectionList::AddRow(const std::wstring& text, int icon, const wchar_t* marker) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = Count();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = ImageIndexOf(icon);
    const int row = ListView_InsertItem(list_, &item);
    if (row >= 0) ListView_SetItemText(list_, row, 1, const_cast<wchar_t*>(marker));
}

void SelectionList::AddFolder(const std::wstring& folder, const std::wstring& mask, bool withSubFolders) {
    const SelectionKind kind = withSubFolders ? SelectionKind::FolderWithSubFolders : SelectionKind::FolderAlone;
    AddRow(folder + L"\\" + mask, withSubFolders ? kFolderTreeIcon : kFolderAloneIcon, SelectionMarker(kind));
}

void SelectionList::AddFile(const std::wstring& folder, const std::wstring& name) {
    AddRow(folder + L"\\" + name, FileIcon(name), SelectionMarker(SelectionKind::File));
}

// The shell is asked by name only (the file need not be read): its type
// decides the icon, kept once per key.
int SelectionList::FileIcon(const std::wstring& name) {
    SHFILEINFOW info = {};
    const UINT flags = SHGFI_ICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON;
    SHGetFileInfoW(name.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info), flags);
    UniqueHIcon icon(info.hIcon);
    const std::wstring key = FileImageKey(info.szDisplayName);
    auto known = fileImages_.find(key);
    if (known != fileImages_.end()) return known->second;
    // Without an icon from the shell the row still needs a file's number,
    // or it would be taken for a folder: a plain page stands in.
    int index = icon ? ImageList_AddIcon(images_.get(), icon.get()) : -1;
    if (index < 0) {
        AddDrawnImage(images_.get(), [](HDC dc) {
            UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(96, 96, 96)));
            SelectedObject pen(dc, edge.get()), brush(dc, GetStockObject(WHITE_BRUSH));
            Rectangle(dc, 3, 1, 13, 15);
        });
        index = ImageList_GetImageCount(images_.get()) - 1;
    }
    const int number = index + 1 < kFirstFileIcon ? kFirstFileIcon : index + 1;
    fileImages_[key] = number;
    return number;
}

int SelectionList::DeleteSelected() {
    int removed = 0;
    for (int row = Count() - 1; row >= 0; --row) {
        if (ListView_GetItemState(list_, row, LVIS_SELECTED) & LVIS_SELECTED) {
            ListView_DeleteItem(list_, row);
            ++removed;
        }
    }
    return removed;
}

int SelectionList::Count() const { return list_ ? ListView_GetItemCount(list_) : 0; }

std::vector<AddSelection> SelectionList::Rows() const {
    std::vector<AddSelection> rows;
    for (int row = 0; row < Count(); ++row) {
        AddSelection entry;
        entry.text = CellText(list_, row, 0);
        entry.marker = CellText(list_, row, 1);
        entry.kind = KindOfMarker(entry.marker);
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ListView_GetItem(list_, &item);
        entry.icon = item.iImage + 1;
        rows.push_back(entry);
    }
    return rows;
}

}  // namespace bralto
