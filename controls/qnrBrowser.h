// qnrBrowser: a one-line text field for a folder path with a small "..."
// button at its right end. The button, or Alt+Down in the field, opens the
// program's folder-choice dialog on the field's folder and puts the chosen
// folder into the field.
//
// The folder-choice dialog is the host program's: the control receives a
// factory for it (FolderChoice below) so that it does not depend on the
// dialogs built on top of it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "GdiHandles.h"
#include "ControlEvents.h"
#include "ControlWindow.h"

namespace bralto {

// What the control needs from a folder-choice dialog, for one browse.
class FolderChoice {
public:
    virtual ~FolderChoice() = default;
    virtual void Caption(const std::wstring& caption) = 0;
    // Opens the dialog's folder tree on `folder`; false when that is no
    // folder (the tree is then left as it was).
    virtual bool OpenAFolder(const std::wstring& folder) = 0;
    // Shows the dialog modally, owned by `owner`; returns the chosen folder,
    // or "" when the user cancelled.
    virtual std::wstring ShowModal(HWND owner) = 0;
};

using FolderChoiceFactory = std::function<std::unique_ptr<FolderChoice>()>;

struct qnrBrowserArgs {
    HWND parent = nullptr;
    int id = 0;
    RECT place = {0, 0, 250, 19};  // pixels; the height is always 285 twips
    std::wstring text;
    std::wstring windowCaption;  // "" gives "Choisir un répertoire"
    bool browseFolder = true;
    bool locked = false;
    long maxLength = 0;  // 0: no limit
    long backColor = 0xFFFFFF;
    long foreColor = static_cast<long>(0x80000008UL);  // window text
    bool enabled = true;
    bool visible = true;
    FolderChoiceFactory folderChoice;  // without one the button only raises ButtonClick
};

class qnrBrowser : public ControlWindow, public MouseEvents, public KeyEvents {
public:
    static constexpr int kHeightTwips = 285;

    qnrBrowser() = default;
    ~qnrBrowser() override;
    bool Create(const qnrBrowserArgs& args);

    // The text box's window (ControlWindow::hWnd() is the control's own).
    HWND hWnd() const { return text_; }
    HWND ButtonHwnd() const { return button_; }

    std::wstring Text() const;
    void Text(const std::wstring& text);
    const std::wstring& WindowCaption() const { return windowCaption_; }
    void WindowCaption(const std::wstring& caption) { windowCaption_ = caption; }
    bool BrowseFolder() const { return browseFolder_; }
    void BrowseFolder(bool browse) { browseFolder_ = browse; }
    bool Locked() const;
    void Locked(bool locked);
    long MaxLength() const;
    void MaxLength(long length);
    long SelStart() const;
    void SelStart(long start);
    long SelLength() const;
    void SelLength(long length);
    std::wstring SelText() const;
    void SelText(const std::wstring& text);
    long BackColor() const { return backColor_; }
    void BackColor(long colour);
    long ForeColor() const { return foreColor_; }
    void ForeColor(long colour);
    bool Enabled() const;
    void Enabled(bool enabled);
    void SetFolderChoice(FolderChoiceFactory factory) { folderChoice_ = std::move(factory); }
    void Refresh();

    // What the button does (also run by Alt+Down in the field).
    void Browse();

    std::function<void()> ButtonClick;
    std::function<void()> OnSelectFolder;
    std::function<void()> Change;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static LRESULT CALLBACK TextProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT OnTextMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(int width, int height);
    int PixelsX(int twips) const;
    int PixelsY(int twips) const;

    HWND text_ = nullptr;
    HWND button_ = nullptr;
    std::wstring windowCaption_;
    bool browseFolder_ = true;
    long backColor_ = 0xFFFFFF;
    long foreColor_ = static_cast<long>(0x80000008UL);
    UniqueGdiObject backBrush_;
    FolderChoiceFactory folderChoice_;
    bool sizing_ = false;
    int dpiX_ = 96;
    int dpiY_ = 96;
};

}  // namespace bralto
