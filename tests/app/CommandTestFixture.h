// The main window on the test's thread, with the registered qnrZip server
// behind it, for the tests that run its commands: a work folder among the
// fixtures, the small tree archive, waiting for a job to end, and the
// extraction window answered.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "ComSupport.h"
#include "Settings.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"
#include "frmExtractFiles.h"
#include "frmPwdAsk.h"

namespace bralto::test {

// Presets the extraction window as a returning user left it.
inline void PresetExtraction(const std::wstring& folder, int action, bool usePath, bool onlyNewer = false) {
    Settings::SetExtractingFolder(folder);
    Settings::SetExtractingOver(static_cast<int16_t>(action));
    Settings::SetExtractingUsePath(usePath ? 1 : 0);
    Settings::SetExtractingNewer(onlyNewer ? 1 : 0);
    Settings::SetExtractingExistingNewer(0);
}

// Answers the extraction window with `files` (0 the marked members, 1 all)
// and any other dialog with OK (Yes where it asks); records every message
// box. With a `password`, the password questions get it instead (counted in
// `passwordQuestions`, not recorded).
inline DialogAnswerer::Answer ExtractWith(int files, std::vector<SeenDialog>& messages,
                                          const std::wstring& password = L"", int* passwordQuestions = nullptr) {
    return [files, &messages, password, passwordQuestions](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Extraction de fichiers") {
#ifdef BRALTO_SCREENSHOTS
            SaveScreenshot(dialog, L"extract_files");
#endif
            SendMessageW(GetDlgItem(dialog, frmExtractFiles::comFichiers), CB_SETCURSEL, static_cast<WPARAM>(files), 0);
            Press(dialog, frmExtractFiles::cmdAction0);
        } else if (!password.empty() && seen.caption == L"Mot de passe") {
            if (passwordQuestions) ++*passwordQuestions;
            SetDlgItemTextW(dialog, frmPwdAsk::txtPwd, password.c_str());
            Press(dialog, IDOK);
        } else {
            messages.push_back(seen);
            Press(dialog, GetDlgItem(dialog, IDYES) ? IDYES : IDOK);
        }
        return true;
    };
}

// Server events reach a single-threaded apartment through its message loop,
// as in Bralto itself.
inline qnr::ComApartment g_commandTestApartment;

class WindowCommandTest : public ::testing::Test {
protected:
    static constexpr DWORD kJobTimeout = 60000;

    static std::wstring WorkFolder() { return FixtureFolder() + L"commands\\"; }
    // The files of tree.zip, as they were zipped.
    static std::wstring TreeSource() { return FixtureFolder() + L"tree"; }

    void SetUp() override {
        CreateDirectoryW(WorkFolder().c_str(), nullptr);
        // A missing archive would stop the test on its message box.
        ASSERT_TRUE(Exists(FixtureFolder() + L"tree.zip"));
        window.Show();
    }
    HWND Window() const { return window.Handle(); }
    HWND List() const { return GetDlgItem(window.Handle(), frmBralto::lisFich); }
    ::testing::AssertionResult WaitIdle() {
        PumpUntil([] { return false; }, 300);
        if (PumpUntil([this] { return !window.Busy(); }, kJobTimeout)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "job still running";
    }
    // A copy of tree.zip named `name` in the work folder, opened.
    std::wstring OpenTreeCopy(const std::wstring& name) {
        const std::wstring archive = WorkFolder() + name;
        CopyFileW((FixtureFolder() + L"tree.zip").c_str(), archive.c_str(), FALSE);
        EXPECT_TRUE(window.OpenAZip(archive));
        return archive;
    }
    std::set<std::wstring> ListedNames() {
        std::set<std::wstring> names;
        for (int row = 0; row < ListCount(List()); ++row) names.insert(ListText(List(), row, 0));
        return names;
    }

    frmBralto window;
};

}  // namespace bralto::test
