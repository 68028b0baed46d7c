#include "qnrRepertoire.h"

#include <shellapi.h>

#include "Hourglass.h"
#include "TextCase.h"
#include "Texts.h"

namespace bralto {

namespace {

const wchar_t kClassName[] = L"qnrRepertoire";
constexpr UINT_PTR kSubclassId = 1;
constexpr int kIconSize = 16;
const wchar_t kOpenSuffix[] = L"&&Open";

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The drive roots as the system lists them ("C:\", NUL, "D:\", NUL...).
std::wstring DriveRoots() {
    wchar_t buffer[256] = {};
    DWORD filled = GetLogicalDriveStringsW(255, buffer);
    if (filled > 255) filled = 0;  // a list that does not fit is not read
    return std::wstring(buffer, filled);
}

bool IsShownFolder(const WIN32_FIND_DATAW& found) {
    return found.cFileName[0] != L'.' && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool HasSubFolders(const std::wstring& full) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((full + L"\\*.*").c_str(), &found));
    if (!search) return false;
    do {
        if (IsShownFolder(found)) return true;
    } while (FindNextFileW(search.get(), &found));
    return false;
}

bool IsExistingFolder(const std::wstring& folder) {
    // Wildcards would make the search match other names than the one given.
    if (folder.find_first_of(L"*?") != std::wstring::npos) return false;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(folder.c_str(), &found));
    return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int ImageForDrive(const std::wstring& text) {
    switch (GetDriveTypeW((text + L"\\").c_str())) {
    case DRIVE_CDROM: return qnrRépertoire::kImageCdRom;
    case DRIVE_REMOVABLE: return qnrRépertoire::kImageRemovable;
    default: return qnrRépertoire::kImageDrive;
    }
}

// The five designed 16 x 16 pictures, drawn once over a magenta mask.
void DrawDesignedImage(HDC dc, int image) {
    auto box = [dc](int l, int t, int r, int b, COLORREF colour) {
        const RECT area = {l, t, r, b};
        UniqueGdiObject brush(CreateSolidBrush(colour));
        FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
    };
    const COLORREF dark = RGB(64, 64, 64), grey = RGB(192, 192, 192), yellow = RGB(255, 220, 96),
                   brown = RGB(160, 120, 32);
    box(0, 0, kIconSize, kIconSize, RGB(255, 0, 255));
    switch (image) {
    case qnrRépertoire::kImageDrive:
        box(1, 6, 15, 13, dark);
        box(2, 7, 14, 12, grey);
        box(11, 10, 13, 11, RGB(0, 192, 0));
        break;
    case qnrRépertoire::kImageRemovable:
        box(2, 4, 14, 13, dark);
        box(3, 5, 13, 12, grey);
        box(4, 7, 12, 8, dark);
        break;
    case qnrRépertoire::kImageCdRom: {
        UniqueGdiObject brush(CreateSolidBrush(grey));
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, dark));
        SelectedObject b(dc, brush.get()), p(dc, pen.get());
        Ellipse(dc, 1, 1, 15, 15);
        box(7, 7, 9, 9, RGB(255, 255, 255));
        break;
    }
    case qnrRépertoire::kImageFolder:
        box(1, 3, 7, 5, brown);
        box(1, 5, 15, 14, brown);
        box(2, 6, 14, 13, yellow);
        break;
    default:  // open folder
        box(1, 3, 7, 5, brown);
        box(1, 5, 13, 14, brown);
        box(4, 8, 16, 14, brown);
        box(5, 9, 15, 13, yellow);
        break;
    }
}

}  // namespace

qnrRépertoire::~qnrRépertoire() {
    if (tree_) RemoveWindowSubclass(tree_, &qnrRépertoire::TreeProc, kSubclassId);
    DestroyControlWindow();
}

bool qnrRépertoire::Create(const qnrRepertoireArgs& args) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    if (!CreateControlWindow(kClassName, args.parent, args.id, args.place,
                             WS_CLIPCHILDREN | (args.visible ? WS_VISIBLE : 0), WS_EX_CONTROLPARENT))
        return false;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                        TVS_EDITLABELS | (args.hideSelection ? 0 : TVS_SHOWSELALWAYS) |
                        (args.hotTracking ? TVS_TRACKSELECT : 0);
    RECT client;
    GetClientRect(ControlWindow::hWnd(), &client);
    tree_ = CreateWindowExW(args.border ? WS_EX_CLIENTEDGE : 0, WC_TREEVIEWW, L"", style, 0, 0, client.right,
                            client.bottom, ControlWindow::hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tree_) return false;
    SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SetWindowSubclass(tree_, &qnrRépertoire::TreeProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    images_.Make(kIconSize, 8);
    MakeDesignedImages();
    TreeView_SetImageList(tree_, images_.get(), TVSIL_NORMAL);
    EnableWindow(ControlWindow::hWnd(), args.enabled);
    return true;
}

void qnrRépertoire::MakeDesignedImages() {
    for (int image = kImageDrive; image <= kImageOpenFolder; ++image) {
        Surface picture;
        if (!picture.Make(kIconSize, kIconSize)) continue;
        DrawDesignedImage(picture.dc(), image);
        // The image list copies the bitmap, which must be out of the DC.
        HGDIOBJ bitmap = GetCurrentObject(picture.dc(), OBJ_BITMAP);
        UniqueGdiObject placeholder(CreateCompatibleBitmap(picture.dc(), 1, 1));
        SelectedObject bitmapOut(picture.dc(), placeholder.get());
        images_.AddMasked(static_cast<HBITMAP>(bitmap), RGB(255, 0, 255));
    }
}

// Nodes -------------------------------------------------------------------

std::vector<HTREEITEM> qnrRépertoire::Nodes(HTREEITEM parent) const {
    std::vector<HTREEITEM> nodes;
    HTREEITEM node = parent == TVI_ROOT ? TreeView_GetRoot(tree_) : TreeView_GetChild(tree_, parent);
    for (; node; node = TreeView_GetNextSibling(tree_, node)) nodes.push_back(node);
    return nodes;
}

std::wstring qnrRépertoire::NodeText(HTREEITEM node) const {
    wchar_t text[MAX_PATH + 1] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (!TreeView_GetItem(tree_, &item)) return L"";
    return text;
}

std::wstring qnrRépertoire::NodeFullPath(HTREEITEM node) const {
    std::wstring path;
    for (; node; node = TreeView_GetParent(tree_, node))
        path = path.empty() ? NodeText(node) : NodeText(node) + L"\\" + path;
    return path;
}

int qnrRépertoire::NodeImage(HTREEITEM node) const {
    TVITEMW item = {};
    item.mask = TVIF_IMAGE;
    item.hItem = node;
    return TreeView_GetItem(tree_, &item) ? item.iImage : -1;
}

int qnrRépertoire::NodeSelectedImage(HTREEITEM node) const {
    TVITEMW item = {};
    item.mask = TVIF_SELECTEDIMAGE;
    item.hItem = node;
    return TreeView_GetItem(tree_, &item) ? item.iSelectedImage : -1;
}

bool qnrRépertoire::IsExpanded(HTREEITEM node) const {
    return (TreeView_GetItemState(tree_, node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

int qnrRépertoire::ImageCount() const { return images_.ImageCount(); }

HTREEITEM qnrRépertoire::AddNode(HTREEITEM parent, const std::wstring& text, int image, int selectedImage) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return TreeView_InsertItem(tree_, &insert);
}

void qnrRépertoire::AddPlaceholder(HTREEITEM parent) {
    // A child without an image only gives its parent an expand button.
    AddNode(parent, texts::kTreePlaceholder, I_IMAGENONE, I_IMAGENONE);
}

void qnrRépertoire::RemoveChildren(HTREEITEM node) {
    while (HTREEITEM child = TreeView_GetChild(tree_, node)) TreeView_DeleteItem(tree_, child);
}

// Building and expanding ---------------------------------------------------

void qnrRépertoire::Actualiser() {
    TreeView_DeleteAllItems(tree_);
    const std::wstring roots = DriveRoots();
    for (size_t at = 0; at + 2 <= roots.size(); at += 4) {
        const std::wstring text = Upper(roots.substr(at, 2));
        const int image = ImageForDrive(text);
        HTREEITEM drive = AddNode(TVI_ROOT, text, image, image);
        if (drive) AddPlaceholder(drive);
    }
}

qnrRépertoire::FolderImages qnrRépertoire::FolderImagesOf(const std::wstring& full) {
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(full.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_TYPENAME | SHGFI_SMALLICON))
        return {kImageFolder, kImageOpenFolder};
    UniqueHIcon closedIcon(info.hIcon);
    const std::wstring key = info.szTypeName;
    const std::wstring openKey = key + kOpenSuffix;
    const int known = images_.IndexOf(key);
    if (known >= 0) {
        const int open = images_.IndexOf(openKey);
        return {known, open >= 0 ? open : kImageOpenFolder};
    }
    // The image list keeps copies; the icons here are released on return.
    FolderImages images = {images_.Add(key, closedIcon.get()), kImageOpenFolder};
    if (images.closed < 0) return {kImageFolder, kImageOpenFolder};
    SHFILEINFOW openInfo = {};
    if (SHGetFileInfoW(full.c_str(), 0, &openInfo, sizeof(openInfo),
                       SHGFI_ICON | SHGFI_TYPENAME | SHGFI_SMALLICON | SHGFI_OPENICON)) {
        UniqueHIcon openIcon(openInfo.hIcon);
        const int open = images_.Add(openKey, openIcon.get());
        if (open >= 0) images.open = open;
    }
    return images;
}

bool qnrRépertoire::FillSubFolders(HTREEITEM node) {
    Hourglass hourglass;
    const std::wstring path = NodeFullPath(node);
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((path + L"\\*.*").c_str(), &found));
    bool complete = true;
    if (search) {
        do {
            if (!IsShownFolder(found)) continue;
            const std::wstring name = found.cFileName;
            const std::wstring full = path + L"\\" + name;
            const FolderImages images = FolderImagesOf(full);
            HTREEITEM child = AddNode(node, name, images.closed, images.open);
            if (!child) {
                complete = false;
                break;
            }
            if (HasSubFolders(full)) AddPlaceholder(child);
        } while (FindNextFileW(search.get(), &found));
    }
    TreeView_SortChildren(tree_, node, FALSE);
    return complete;
}

void qnrRépertoire::HandleExpanding(HTREEITEM node) {
    RemoveChildren(node);
    FillSubFolders(node);
    if (Expand) Expand(node);
}

void qnrRépertoire::ExpandNode(HTREEITEM node) {
    expandingInCode_ = true;
    HandleExpanding(node);
    TreeView_Expand(tree_, node, TVE_EXPAND);
    expandingInCode_ = false;
}

void qnrRépertoire::HandleCollapsed(HTREEITEM node) {
    // The next expansion must be announced again, so that it reads the disk.
    TreeView_SetItemState(tree_, node, 0, TVIS_EXPANDEDONCE);
    // The tree moves the selection out of the hidden descendants to the
    // collapsed node, before or after this notification depending on the
    // tree's version: either way the chosen folder is now the collapsed one.
    HTREEITEM selected = TreeView_GetSelection(tree_);
    bool selectionHidden = false;
    for (HTREEITEM up = selected ? TreeView_GetParent(tree_, selected) : nullptr; up;
         up = TreeView_GetParent(tree_, up))
        if (up == node) selectionHidden = true;
    if (selected && (selectionHidden || NodeFullPath(selected) != path_)) {
        path_ = NodeFullPath(node);
        if (OnPathChange) OnPathChange(path_);
    }
    if (Collapse) Collapse(node);
}

void qnrRépertoire::HandleClick(HTREEITEM node) {
    path_ = NodeFullPath(node);
    if (OnPathChange) OnPathChange(path_);
    if (NodeClick) NodeClick(node);
}

bool qnrRépertoire::OpenAFolder(const std::wstring& folder) {
    if (folder.empty()) return false;
    const std::wstring roots = Upper(DriveRoots());
    if (roots.find(Upper(folder)) == std::wstring::npos && !IsExistingFolder(folder)) return false;

    Actualiser();
    Hourglass hourglass;
    const std::wstring drive = Upper(folder.substr(0, 2));
    HTREEITEM selected = nullptr;
    for (HTREEITEM root : Nodes()) {
        if (NodeText(root) == drive) {
            selected = root;
            break;
        }
    }
    if (!selected) return true;
    TreeView_SelectItem(tree_, selected);
    TreeView_EnsureVisible(tree_, selected);
    ExpandNode(selected);

    std::wstring rest = folder.substr(2);
    while (!rest.empty()) {
        if (rest[0] == L'\\') rest.erase(0, 1);
        const size_t separator = rest.find(L'\\');
        const std::wstring component = rest.substr(0, separator);
        rest = separator == std::wstring::npos ? L"" : rest.substr(separator + 1);
        HTREEITEM match = nullptr;
        for (HTREEITEM child : Nodes(selected)) {
            if (SameIgnoringCase(NodeText(child), component)) {
                match = child;
                break;
            }
        }
        if (!match) break;
        selected = match;
        TreeView_SelectItem(tree_, selected);
        ExpandNode(selected);
        TreeView_EnsureVisible(tree_, selected);
    }
    HandleClick(selected);
    return true;
}

bool qnrRépertoire::RefreshDir() {
    const std::wstring current = path_;
    return OpenAFolder(current);
}

// Selection and pass-through members -----------------------------------------

HTREEITEM qnrRépertoire::SelectedItem() const { return TreeView_GetSelection(tree_); }

void qnrRépertoire::SelectedItem(HTREEITEM node) {
    if (!node || node == TreeView_GetSelection(tree_)) return;
    TreeView_SelectItem(tree_, node);
    HandleClick(node);
}

HTREEITEM qnrRépertoire::DropHighLight() const { return TreeView_GetDropHilight(tree_); }

void qnrRépertoire::DropHighLight(HTREEITEM node) { TreeView_SelectDropTarget(tree_, node); }

HTREEITEM qnrRépertoire::HitTest(int x, int y) const {
    TVHITTESTINFO hit = {};
    hit.pt = {x, y};
    HTREEITEM node = TreeView_HitTest(tree_, &hit);
    return (hit.flags & TVHT_ONITEM) ? node : nullptr;
}

void qnrRépertoire::StartEdit() {
    if (HTREEITEM selected = TreeView_GetSelection(tree_)) TreeView_EditLabel(tree_, selected);
}

void qnrRépertoire::Refresh() { RedrawWindow(tree_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

// Messages ---------------------------------------------------------------

LRESULT qnrRépertoire::OnNotify(const NMHDR& header) {
    switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if ((change.action & TVE_EXPAND) && !expandingInCode_) HandleExpanding(change.itemNew.hItem);
        return FALSE;
    }
    case TVN_ITEMEXPANDEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (change.action & TVE_COLLAPSE) HandleCollapsed(change.itemNew.hItem);
        return 0;
    }
    case TVN_SELCHANGEDW: {
        // What the user picks, by mouse or keyboard, is a click on the node;
        // selections made by code here are handled where they are made.
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if ((change.action == TVC_BYMOUSE || change.action == TVC_BYKEYBOARD) && change.itemNew.hItem)
            HandleClick(change.itemNew.hItem);
        return 0;
    }
    case TVN_ENDLABELEDITW: {
        const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
        if (!edit.item.pszText) return FALSE;  // editing was abandoned
        short cancel = 0;
        std::wstring text = edit.item.pszText;
        if (AfterEdit) AfterEdit(cancel, text);
        return cancel == 0;
    }
    default: ForwardClickNotification(header.code); return 0;
    }
}

LRESULT qnrRépertoire::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (KeepInnerWindowInStep(tree_, message, wParam, lParam)) return 0;
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == tree_) return OnNotify(*header);
    }
    return ControlWindow::HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK qnrRépertoire::TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) {
    return reinterpret_cast<qnrRépertoire*>(self)->OnTreeMessage(message, wParam, lParam);
}

LRESULT qnrRépertoire::OnTreeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Click and DblClick come from the tree's notifications.
    if (ForwardKey(message, wParam, lParam) == KeyOutcome::kSwallowed) return 0;
    ForwardMouse(message, wParam, lParam);
    return DefSubclassProc(tree_, message, wParam, lParam);
}

}  // namespace bralto
