// The main window on the test's thread, with the registered qnrZip server
// behind it, for the tests that run its commands: a work folder among the
// fixtures, the small tree archive, and waiting for a job to end.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "ComSupport.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"

namespace bralto::test {

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
