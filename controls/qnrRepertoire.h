// qnrRépertoire: the drives and folders of the machine as a tree, to pick
// one folder. Drives are listed at the root; a folder's sub-folders are read
// from disk only when it is expanded, and again at every expansion. Path
// holds the full path of the chosen folder ("C:" for a drive, "C:\a\b" for a
// folder) and OnPathChange reports every change of it.
//
// Path is read-only: there is no setter, so a host cannot set it by mistake.
// The class is also reachable as qnrRepertoire.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "KeyedImageList.h"
#include "ControlEvents.h"
#include "ControlWindow.h"

namespace bralto {

struct qnrRepertoireArgs {
    HWND parent = nullptr;
    int id = 0;
    RECT place = {0, 0, 200, 250};  // pixels of the parent's client area
    bool border = true;             // a sunken edge around the tree
    bool hideSelection = false;     // hide the selection when the tree loses the focus
    bool hotTracking = false;
    bool enabled = true;
    bool visible = true;
};

class qnrRépertoire : public ControlWindow, public MouseEvents, public KeyEvents {
public:
    // Designed images of the tree's image list; shell icons follow them.
    enum Image { kImageDrive = 0, kImageRemovable = 1, kImageCdRom = 2, kImageFolder = 3, kImageOpenFolder = 4 };

    qnrRépertoire() = default;
    ~qnrRépertoire() override;
    bool Create(const qnrRepertoireArgs& args);

    // The tree's window (ControlWindow::hWnd() is the control's own window).
    HWND hWnd() const { return tree_; }
    const std::wstring& Path() const { return path_; }

    // Rebuilds the tree and opens it on `folder` (a drive root such as "C:"
    // or "C:\", or an existing folder). False, with the tree unchanged, for
    // "" and for paths that are no folder.
    bool OpenAFolder(const std::wstring& folder);
    // Rebuilds the tree with the drives only.
    void Actualiser();
    // Rebuilds and reopens the tree on the current Path.
    bool RefreshDir();

    // Nodes: children of `parent` in order (the drives for TVI_ROOT).
    std::vector<HTREEITEM> Nodes(HTREEITEM parent = TVI_ROOT) const;
    std::wstring NodeText(HTREEITEM node) const;
    std::wstring NodeFullPath(HTREEITEM node) const;
    // Image and selected image of a node (-1 when it has none).
    int NodeImage(HTREEITEM node) const;
    int NodeSelectedImage(HTREEITEM node) const;
    bool IsExpanded(HTREEITEM node) const;
    int ImageCount() const;

    HTREEITEM SelectedItem() const;
    // Selects `node` and handles it as a click on it, unless it is already
    // the selected node.
    void SelectedItem(HTREEITEM node);
    HTREEITEM DropHighLight() const;
    void DropHighLight(HTREEITEM node);
    // The node under a point of the tree's client area, or nullptr.
    HTREEITEM HitTest(int x, int y) const;
    void StartEdit();
    void Refresh();

    std::function<void(HTREEITEM node)> Collapse;
    std::function<void(HTREEITEM node)> Expand;
    std::function<void(HTREEITEM node)> NodeClick;
    std::function<void(const std::wstring& path)> OnPathChange;
    // Label editing finished: the listener may set `cancel` to refuse the
    // new text. Nothing is renamed on disk.
    std::function<void(short& cancel, std::wstring& newString)> AfterEdit;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct FolderImages {
        int closed;
        int open;
    };

    static LRESULT CALLBACK TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT OnTreeMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnNotify(const NMHDR& header);
    HTREEITEM AddNode(HTREEITEM parent, const std::wstring& text, int image, int selectedImage);
    void AddPlaceholder(HTREEITEM parent);
    void RemoveChildren(HTREEITEM node);
    bool FillSubFolders(HTREEITEM node);
    void ExpandNode(HTREEITEM node);
    void HandleExpanding(HTREEITEM node);
    void HandleCollapsed(HTREEITEM node);
    void HandleClick(HTREEITEM node);
    FolderImages FolderImagesOf(const std::wstring& full);
    void MakeDesignedImages();

    HWND tree_ = nullptr;
    KeyedImageList images_;
    std::wstring path_;
    bool expandingInCode_ = false;
};

using qnrRepertoire = qnrRépertoire;

}  // namespace bralto
