// The folder field: browsing through a folder-choice dialog (here one that
// holds a real folder tree and answers like the user), the keys that browse,
// and its fixed height.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "qnrBrowser.h"
#include "qnrRepertoire.h"

namespace bralto {
namespace {

using test::HostWindow;

struct Script {
    bool confirm = true;
    std::vector<std::wstring> log;
    std::wstring caption;
    std::wstring openedOn;  // the tree's Path when the dialog was shown
    HWND owner = nullptr;
    int made = 0;
};

// A folder-choice dialog with a real folder tree, whose user confirms or
// cancels as the script says.
class ScriptedChoice : public FolderChoice {
public:
    explicit ScriptedChoice(Script& script) : script_(script) {
        ++script_.made;
        qnrRepertoireArgs args;
        args.parent = host_.hwnd();
        EXPECT_TRUE(tree_.Create(args));
    }
    ~ScriptedChoice() override { script_.log.push_back(L"unloaded"); }
    void Caption(const std::wstring& caption) override { script_.caption = caption; }
    bool OpenAFolder(const std::wstring& folder) override { return tree_.OpenAFolder(folder); }
    std::wstring ShowModal(HWND owner) override {
        script_.owner = owner;
        script_.openedOn = tree_.Path();
        return script_.confirm ? tree_.Path() : L"";
    }

private:
    Script& script_;
    HostWindow host_{200, 200};
    qnrRepertoire tree_;
};

struct Field {
    explicit Field(const std::wstring& text, bool browseFolder = true) {
        qnrBrowserArgs args;
        args.parent = host.hwnd();
        args.place = {10, 10, 310, 60};
        args.text = text;
        args.browseFolder = browseFolder;
        args.folderChoice = [this] { return std::make_unique<ScriptedChoice>(script); };
        EXPECT_TRUE(field.Create(args));
        field.ButtonClick = [this] { script.log.push_back(L"ButtonClick"); };
        field.OnSelectFolder = [this] { script.log.push_back(L"OnSelectFolder"); };
        field.Change = [this] { script.log.push_back(L"Change"); };
    }
    void PressButton() { SendMessageW(field.ButtonHwnd(), BM_CLICK, 0, 0); }
    HostWindow host;
    Script script;
    qnrBrowser field;
};

TEST(qnrBrowser, ButtonPutsTheChosenFolderIntoTheField) {
    test::TempTree folders(L"qnrBrowserTest");
    const std::wstring inner = folders.Folder(L"Inner");
    Field f(L"c:\\qnrbrowsertest\\inner");
    f.PressButton();
    EXPECT_EQ(f.script.caption, L"Choisir un répertoire");
    EXPECT_EQ(f.script.owner, f.host.hwnd());
    EXPECT_EQ(f.script.openedOn, inner);
    EXPECT_EQ(f.field.Text(), inner);  // spelled as on disk
    const std::vector<std::wstring> expected = {L"ButtonClick", L"Change", L"unloaded", L"OnSelectFolder"};
    EXPECT_EQ(f.script.log, expected);
    // Another caption is handed to the dialog.
    f.field.WindowCaption(L"Destination");
    f.PressButton();
    EXPECT_EQ(f.script.caption, L"Destination");
}

TEST(qnrBrowser, AMissingFolderOpensTheDialogOnDriveC) {
    Field f(L"C:\\qnrBrowserTest\\Gone");
    f.script.confirm = false;
    f.PressButton();
    EXPECT_EQ(f.script.openedOn, L"C:");
    EXPECT_EQ(f.field.Text(), L"C:\\qnrBrowserTest\\Gone");  // cancelled: unchanged
    EXPECT_EQ(f.script.log, (std::vector<std::wstring>{L"ButtonClick", L"unloaded"}));
}

TEST(qnrBrowser, WithoutBrowseFolderTheButtonOnlyRaisesButtonClick) {
    Field f(L"C:\\", false);
    f.PressButton();
    EXPECT_EQ(f.script.made, 0);
    EXPECT_EQ(f.script.log, std::vector<std::wstring>{L"ButtonClick"});
    EXPECT_EQ(f.field.Text(), L"C:\\");
}

TEST(qnrBrowser, AltDownBrowsesOtherDownKeysDoNot) {
    Field f(L"C:\\");
    f.script.confirm = false;
    const LPARAM alt = 1L << 29;
    SendMessageW(f.field.hWnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.script.made, 0);
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE withCtrl[256];
    memcpy(withCtrl, keys, sizeof(keys));
    withCtrl[VK_CONTROL] = 0x80;
    SetKeyboardState(withCtrl);
    SendMessageW(f.field.hWnd(), WM_SYSKEYDOWN, VK_DOWN, alt);  // Ctrl+Alt+Down
    SetKeyboardState(keys);
    EXPECT_EQ(f.script.made, 0);
    SendMessageW(f.field.hWnd(), WM_SYSKEYDOWN, VK_DOWN, alt);  // Alt+Down
    EXPECT_EQ(f.script.made, 1);
    EXPECT_EQ(f.script.log, (std::vector<std::wstring>{L"ButtonClick", L"unloaded"}));
}

TEST(qnrBrowser, ADoubleClickInTheFieldIsTwoPressesAndOneDblClick) {
    Field f(L"C:\\");
    std::vector<std::wstring> seen;
    f.field.MouseDown = [&](int button, int, int x, int y) {
        seen.push_back(L"down " + std::to_wstring(button) + L" " + std::to_wstring(x) + L"," + std::to_wstring(y));
    };
    f.field.MouseUp = [&](int, int, int, int) { seen.push_back(L"up"); };
    f.field.DblClick = [&] { seen.push_back(L"dblclick"); };
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageW(f.field.hWnd(), message, 0, MAKELPARAM(4, 5));
    const std::vector<std::wstring> expected = {L"down 1 4,5", L"up", L"down 1 4,5", L"dblclick", L"up"};
    EXPECT_EQ(seen, expected);
}

// The system keys (Alt held) reach the listener like any other key.
TEST(qnrBrowser, KeyEventsCarryTheAltStateOfSystemKeys) {
    Field f(L"C:\\");
    std::vector<int> shifts;
    f.field.KeyDown = [&](int& keyCode, int shift) {
        shifts.push_back(shift);
        if (keyCode == VK_DOWN) keyCode = 0;  // swallowed: no browse
    };
    SendMessageW(f.field.hWnd(), WM_KEYDOWN, 'A', 0);
    SendMessageW(f.field.hWnd(), WM_SYSKEYDOWN, VK_DOWN, 1L << 29);
    EXPECT_EQ(shifts, (std::vector<int>{0, 4}));
    EXPECT_EQ(f.script.made, 0);
}

TEST(qnrBrowser, TypingChangesTheTextAndRaisesChange) {
    Field f(L"");
    std::vector<int> typed;
    f.field.KeyPress = [&](int& key) { typed.push_back(key); };
    SendMessageW(f.field.hWnd(), WM_CHAR, L'D', 0);
    SendMessageW(f.field.hWnd(), WM_CHAR, L':', 0);
    EXPECT_EQ(f.field.Text(), L"D:");
    EXPECT_EQ(typed, (std::vector<int>{L'D', L':'}));
    EXPECT_EQ(f.script.log, (std::vector<std::wstring>{L"Change", L"Change"}));
    f.field.Locked(true);
    SendMessageW(f.field.hWnd(), WM_CHAR, L'x', 0);
    EXPECT_EQ(f.field.Text(), L"D:");
    f.field.Text(L"C:\\Temp");
    f.field.SelStart(3);
    f.field.SelLength(4);
    EXPECT_EQ(f.field.SelText(), L"Temp");
}

TEST(qnrBrowser, HeightIsAlways285Twips) {
    Field f(L"");
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int height = MulDiv(285, dpiY, 1440);
    HWND control = GetParent(f.field.hWnd());
    EXPECT_EQ(test::ClientSize(control).cy, height);
    MoveWindow(control, 10, 10, 200, MulDiv(500, dpiY, 1440), TRUE);
    EXPECT_EQ(test::ClientSize(control).cy, height);
    EXPECT_EQ(test::ClientSize(control).cx, 200);
    EXPECT_EQ(test::ClientSize(f.field.hWnd()).cx + 4, 200);  // the text box spans the width (less its edge)
    RECT button;
    GetWindowRect(f.field.ButtonHwnd(), &button);
    MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&button), 2);
    const int side = MulDiv(285, dpiX, 1440);
    EXPECT_EQ(button.left, 200 - side - 2);
    EXPECT_EQ(button.top, 2);
    EXPECT_EQ(button.right - button.left, side);
    EXPECT_EQ(button.bottom - button.top, MulDiv(285, dpiY, 1440) - 4);
}

}  // namespace
}  // namespace bralto
