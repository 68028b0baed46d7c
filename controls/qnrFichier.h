// qnrFichier: the contents of one folder as a list: one row per file (and,
// on request, per sub-folder) matching a wildcard mask, with the shell's
// icon, display name, size in kilobytes, type name and modification time.
// A thin layer over a list view and an image list used as an icon cache
// keyed by extension.
//
// ParentTree is the window of a folder tree on the same thread (the tree's
// hWnd()): an up or down arrow waiting for it cuts a running listing short,
// since the tree is about to choose another folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "ControlEvents.h"
#include "ControlWindow.h"
#include "KeyedImageList.h"

namespace bralto {

struct qnrFichierArgs {
    HWND parent = nullptr;
    int id = 0;
    RECT place = {0, 0, 400, 250};  // pixels of the parent's client area
    long view = 0;                  // 0 large icons, 1 small icons, 2 list, 3 report
    std::wstring filter = L"*.*";
    bool showFolders = false;
    HWND parentTree = nullptr;
    bool multiSelect = false;
    bool fullRowSelect = false;
    bool hideColumnHeaders = false;
    bool enabled = true;
    bool visible = true;
};

class qnrFichier : public ControlWindow, public MouseEvents, public KeyEvents {
public:
    // Designed widths of the four columns, in twips.
    static constexpr float kNameWidth = 2300, kSizeWidth = 900, kTypeWidth = 2000, kDateWidth = 1000;

    qnrFichier() = default;
    ~qnrFichier() override;
    bool Create(const qnrFichierArgs& args);

    // The list view's window (ControlWindow::hWnd() is the control's own).
    HWND hWnd() const { return list_; }

    // Lists `path`; the folder is recorded as Path unless the listing
    // stops on an error. False when it stopped on an error.
    bool GetFiles(const std::wstring& path);
    bool RefreshList() { return GetFiles(path_); }
    const std::wstring& Path() const { return path_; }
    void Path(const std::wstring& path) { GetFiles(path); }
    const std::wstring& Filter() const { return filter_; }
    void Filter(const std::wstring& filter) { filter_ = filter; }  // does not list again
    bool ShowFolders() const { return showFolders_; }
    void ShowFolders(bool show);
    HWND ParentTree() const { return parentTree_; }
    void ParentTree(HWND tree) { parentTree_ = tree; }
    long View() const;
    void View(long view);

    float ColNameWidth() const { return ColumnWidth(0); }
    void ColNameWidth(float twips) { ColumnWidth(0, twips); }
    float ColSizeWidth() const { return ColumnWidth(1); }
    void ColSizeWidth(float twips) { ColumnWidth(1, twips); }
    float ColTypeWidth() const { return ColumnWidth(2); }
    void ColTypeWidth(float twips) { ColumnWidth(2, twips); }
    float ColDateWidth() const { return ColumnWidth(3); }
    void ColDateWidth(float twips) { ColumnWidth(3, twips); }

    // Pass-through properties of the list view.
    long BackColor() const { return backColor_; }
    void BackColor(long colour);
    long ForeColor() const { return foreColor_; }
    void ForeColor(long colour);
    bool Enabled() const;
    void Enabled(bool enabled);
    bool FullRowSelect() const { return HasExStyle(LVS_EX_FULLROWSELECT); }
    void FullRowSelect(bool on) { ExStyle(LVS_EX_FULLROWSELECT, on); }
    bool AllowColumnReorder() const { return HasExStyle(LVS_EX_HEADERDRAGDROP); }
    void AllowColumnReorder(bool on) { ExStyle(LVS_EX_HEADERDRAGDROP, on); }
    bool HotTracking() const { return HasExStyle(LVS_EX_TRACKSELECT); }
    void HotTracking(bool on) { ExStyle(LVS_EX_TRACKSELECT, on); }
    bool HideSelection() const { return !HasStyle(LVS_SHOWSELALWAYS); }
    void HideSelection(bool on) { Style(LVS_SHOWSELALWAYS, !on); }
    bool LabelWrap() const { return !HasStyle(LVS_NOLABELWRAP); }
    void LabelWrap(bool on) { Style(LVS_NOLABELWRAP, !on); }
    bool MultiSelect() const { return !HasStyle(LVS_SINGLESEL); }
    void MultiSelect(bool on) { Style(LVS_SINGLESEL, !on); }
    bool HideColumnHeaders() const { return HasStyle(LVS_NOCOLUMNHEADER); }
    void HideColumnHeaders(bool on) { Style(LVS_NOCOLUMNHEADER, on); }

    // Sorting by the text of column SortKey (0 to 3), ascending (SortOrder
    // 0) or descending (1); the list is sorted again whenever one changes
    // while Sorted is true.
    bool Sorted() const { return sorted_; }
    void Sorted(bool sorted);
    long SortOrder() const { return sortOrder_; }
    void SortOrder(long order);
    short SortKey() const { return sortKey_; }
    void SortKey(short column);

    // Rows, from 0.
    int ItemCount() const;
    std::wstring ItemText(int row, int column = 0) const;
    int ItemImage(int row) const;
    bool IsItemSelected(int row) const;
    // Sets or clears the selected flag of one row (-1: every row).
    void SetItemSelected(int row, bool selected);
    int SelectedItem() const;  // -1 when nothing is selected
    void SelectedItem(int row);
    int DropHighLight() const;
    void DropHighLight(int row);
    int FindItem(const std::wstring& text, bool partial = false, int after = -1) const;
    int GetFirstVisible() const;
    int HitTest(int x, int y) const;  // -1 when no row is there
    // The icon cache: its number of images and the image under a key (-1).
    int ImageCount() const;
    int ImageIndexOf(const std::wstring& key) const;
    void Refresh();

    std::function<void(int column)> ColumnClick;
    std::function<void(int row)> ItemClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum class RowResult { kAdded, kSkipped, kFailed };

    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT OnListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    RowResult AddRow(const std::wstring& folder, const WIN32_FIND_DATAW& found, bool smallIcons);
    int CachedImage(const std::wstring& key, HICON icon, bool smallIcons);
    void EmptyIconCache();
    bool TreeKeyIsWaiting(bool& failed) const;
    float ColumnWidth(int column) const;
    void ColumnWidth(int column, float twips);
    void Sort();
    bool HasStyle(DWORD bits) const;
    void Style(DWORD bits, bool on);
    bool HasExStyle(DWORD bits) const;
    void ExStyle(DWORD bits, bool on);

    HWND list_ = nullptr;
    KeyedImageList images_;
    std::wstring path_;
    std::wstring filter_ = L"*.*";
    bool showFolders_ = false;
    HWND parentTree_ = nullptr;
    bool sorted_ = false;
    long sortOrder_ = 0;
    short sortKey_ = 0;
    long backColor_ = static_cast<long>(0x80000005UL);  // window
    long foreColor_ = static_cast<long>(0x80000008UL);  // window text
    int dpi_ = 96;
};

// The size column's text: kilobytes rounded up, digits grouped by three
// with blanks, then " Ko" ("0 Ko", "1 Ko", "1 206 Ko").
std::wstring KilobytesText(unsigned long long bytes);
// The date column's text: "dd/mm/yyyy hh:mm:ss" in local time, or "" when
// the time cannot be converted.
std::wstring ModifiedText(const FILETIME& lastWrite);

}  // namespace bralto
