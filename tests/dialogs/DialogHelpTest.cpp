// F1 in each window opens that window's own page of the help file: the
// system turns the key into WM_HELP, and the window asks the viewer for its
// topic of Bralto.chm.
#include <gtest/gtest.h>

#include <windows.h>
#include <htmlhelp.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "HelpCallRecorder.h"
#include "HtmlHelp.h"
#include "Module.h"
#include "Settings.h"
#include "frmAbout.h"
#include "frmBrowse.h"
#include "frmComment.h"
#include "frmDelete.h"
#include "frmDrag.h"
#include "frmExtractFiles.h"
#include "frmFileInfo.h"
#include "frmPrompt.h"
#include "frmPwdAsk.h"
#include "frmPwdGive.h"
#include "frmQuickExtract.h"
#include "frmRegister.h"
#include "frmZipInfo.h"

namespace {

using namespace bralto;
using namespace bralto::test;

bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 5000) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return false;
}

struct HelpCase {
    const char* name;
    std::wstring caption;
    std::function<void()> show;
    std::wstring topic;
    int closeId = IDCANCEL;  // the overwrite question has no Cancel: "Non"
};

class DialogHelp : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetFileAttributesW(HelpFilePath().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u)
            << "the build puts Bralto.chm beside the test program";
        ClearSettings();
        ForgetHelpCalls();
    }
    void TearDown() override {
        ReplaceHtmlHelpEntry(nullptr);
        ClearSettings();
    }
};

TEST_F(DialogHelp, F1InEachWindowAsksTheViewerForThatWindowsTopic) {
    ReplaceHtmlHelpEntry(RecordHelpCall);
    const ExtractFolderSources sources;
    HICON icon = LoadIconW(nullptr, IDI_WARNING);
    frmBrowse browse;
    CommentEngine noComment;
    noComment.readComment = [](const std::wstring&, const CommentEngine::Progress&) { return 0L; };
    noComment.writeComment = [](const std::wstring&, const CommentEngine::Request&,
                                const CommentEngine::Progress&) { return 0L; };
    const std::vector<HelpCase> cases = {
        {"delete", L"Suppression de fichiers", [] { frmDelete::Show(nullptr); }, L"supprimer.htm"},
        {"quick extract", L"Extraction express", [] { frmQuickExtract::Show(nullptr); }, L"express.htm#fenetre"},
        {"drag and drop", L"Drag and Drop", [] { frmDrag::Show(nullptr); }, L"deposer.htm#options"},
        {"extract", L"Extraction de fichiers", [&] { frmExtractFiles::Show(nullptr, sources); }, L"extraire.htm"},
        {"folder choice", L"Choisir un répertoire", [&] { browse.ShowModal(nullptr); }, L"extraire.htm"},
        {"overwrite", L"Bralto", [&] { frmPrompt::Ask(nullptr, L"C:\\x\\a.txt", icon, true); },
         L"extraire.htm#ecraser", frmPrompt::cmdAction0 + 1},
        {"password asked", L"Mot de passe", [] { frmPwdAsk::Show(nullptr, L"a.txt"); }, L"motdepasse.htm#demander"},
        {"password given", L"Mot de passe", [] { frmPwdGive::Show(nullptr); }, L"motdepasse.htm#donner"},
        {"about", L"A propos de", [] { frmAbout::Show(nullptr, [](HWND, const std::wstring&) {}); },
         L"menus.htm#apropos"},
        {"archive properties", L"Propriétés", [] { frmZipInfo::Show(nullptr, ZipInfoTexts{}); },
         L"outils.htm#proprietes"},
        {"member information", L"Informations sur", [] { frmFileInfo::Show(nullptr, MemberRowTexts{}, nullptr); },
         L"outils.htm#info"},
        {"comment", L"Commentaire", [&] { frmComment::Show(nullptr, L"C:\\a.zip", noComment); },
         L"outils.htm#commentaire", frmComment::cmdAction2},
        {"association", L"Bralto", [] { frmRegister::Show(nullptr, L"C:\\Bralto essai programme"); },
         L"association.htm#fenetre", frmRegister::cmdAction1},
    };
    for (const HelpCase& each : cases) {
        SCOPED_TRACE(each.name);
        const size_t before = HelpCallCount();
        HWND shown = nullptr;
        bool asked = false, stillOpen = false;
        {
            DialogUser user(each.caption, [&](HWND dialog) {
                shown = dialog;
                PressF1(dialog);
                asked = WaitFor([&] { return HelpCallCount() > before; });
                stillOpen = IsWindowVisible(dialog) != FALSE;
                PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(each.closeId), 0);
            });
            each.show();
            ASSERT_TRUE(user.Found());
        }
        ASSERT_TRUE(asked) << "F1 asked the viewer for nothing";
        const std::vector<HelpCall> calls = HelpCalls();
        ASSERT_EQ(calls.size(), before + 1) << "one key, one call";
        const HelpCall& call = calls.back();
        EXPECT_EQ(call.location, HelpFilePath() + L"::/" + each.topic);
        EXPECT_EQ(call.command, static_cast<UINT>(HH_DISPLAY_TOPIC));
        EXPECT_EQ(call.caller, shown) << "the viewer belongs to the window F1 was pressed in";
        EXPECT_TRUE(stillOpen) << "help leaves the window open";
    }
}

BOOL CALLBACK FindHelpViewer(HWND window, LPARAM result) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process != GetCurrentProcessId() || std::wstring(className) != L"HH Parent" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND HelpViewerWindow() {
    HWND found = nullptr;
    EnumWindows(FindHelpViewer, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(DialogHelp, F1OpensTheHtmlHelpViewerOnTheHelpFile) {
    std::wstring caption;
    bool viewerOpened = false, goneWithTheWindow = false;
    {
        DialogUser user(L"Suppression de fichiers", [&](HWND dialog) {
            PressF1(dialog);
            HWND viewer = nullptr;
            viewerOpened = WaitFor([&] { return (viewer = HelpViewerWindow()) != nullptr; }, 10000);
            if (viewer) caption = WindowText(viewer);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            WaitForDialogGone(L"Suppression de fichiers");
            // The viewer is owned by the window it was opened from.
            goneWithTheWindow = WaitFor([] { return HelpViewerWindow() == nullptr; });
        });
        frmDelete::Show(nullptr);
        ASSERT_TRUE(user.Found());
    }
    ASSERT_TRUE(viewerOpened) << "no HTML Help window after F1";
    EXPECT_EQ(caption, L"Aide de Bralto") << "the help file's own window title";
    EXPECT_TRUE(goneWithTheWindow);
}

}  // namespace
