// Files and folders dropped on the real main window, delivered as the shell
// delivers them: a WM_DROPFILES message posted to the window, carrying a
// global DROPFILES block with wide names, double-NUL terminated. The jobs
// run in the registered qnrZip server; the peers check the archives made
// here afterwards (verify_drop_archives.py).
#include "QnrZipClient.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <set>

#include "WindowTestSupport.h"
#include "frmBralto.h"
#include "frmDrag.h"
#include "frmPwdGive.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::Exists;
using test::FixtureFolder;
using test::SeenDialog;

constexpr DWORD kJobTimeout = 60000;

qnr::client::ClientApartment g_apartment;

std::wstring WorkFolder() { return FixtureFolder() + L"drops\\"; }
std::wstring TreeSource() { return FixtureFolder() + L"tree"; }

const wchar_t kQuestion[] =
    L"Souhaitez-vous ouvrir ce fichier ou l'ajouter à l'Archive en cours ?\r\nRépondez Oui pour l'ouvrir, Non pour "
    L"l'ajouter.";

// A drop handle as the shell makes one.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names) {
    size_t characters = 1;
    for (const auto& name : names) characters += name.size() + 1;
    HGLOBAL drop = GlobalAlloc(GHND | GMEM_SHARE, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    header->pFiles = sizeof(DROPFILES);
    header->pt = POINT{40, 120};
    header->fNC = FALSE;
    header->fWide = TRUE;
    auto* at = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& name : names) {
        name.copy(at, name.size());
        at += name.size() + 1;
    }
    GlobalUnlock(drop);
    return drop;
}

// A released drop handle is no longer a valid global handle.
bool Released(HGLOBAL drop) { return GlobalFlags(drop) == GMEM_INVALID_HANDLE; }

// What the user chooses in the drop-options window.
struct DropChoice {
    int action = 0;
    int compression = 1;
    bool storePaths = false;
    bool subFolders = false;
    bool systemAndHidden = true;
    bool storeDirectories = false;
    bool encrypt = false;
    bool confirm = true;
};

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void SetCheck(HWND dialog, int id, bool on) {
    if ((SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED) != on) Click(dialog, id);
}

void FillDropOptions(HWND dialog, const DropChoice& choice) {
    SendMessageW(GetDlgItem(dialog, frmDrag::comAction), CB_SETCURSEL, static_cast<WPARAM>(choice.action), 0);
    SendMessageW(GetDlgItem(dialog, frmDrag::comCompression), CB_SETCURSEL, static_cast<WPARAM>(choice.compression), 0);
    SetCheck(dialog, frmDrag::chkPath, choice.storePaths);
    SetCheck(dialog, frmDrag::chkFolder, choice.subFolders);
    SetCheck(dialog, frmDrag::chkSystem, choice.systemAndHidden);
    SetCheck(dialog, frmDrag::chkDir, choice.storeDirectories);
    SetCheck(dialog, frmDrag::chkEncrypt, choice.encrypt);
    test::Press(dialog, choice.confirm ? frmDrag::cmdOK : frmDrag::cmdCancel);
}

// Names the new archive in the Save dialog (file name box cmb13 / edt1).
void NameInSaveDialog(HWND dialog, const std::wstring& path) {
    SetDlgItemTextW(dialog, 0x47c, path.c_str());
    SetDlgItemTextW(dialog, 0x480, path.c_str());
    test::Press(dialog, IDOK);
}

// What the dialogs said, for a failure's message.
std::string Texts(const std::vector<SeenDialog>& seen) {
    std::string all;
    for (const SeenDialog& each : seen) {
        for (const std::wstring* text : {&each.caption, &each.text}) {
            char buffer[1024] = {};
            WideCharToMultiByte(CP_UTF8, 0, text->c_str(), -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
            all += buffer;
            all += " | ";
        }
        all += "\n";
    }
    return all;
}

class MainWindowDrop : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(WorkFolder().c_str(), nullptr);
        ASSERT_TRUE(Exists(FixtureFolder() + L"tree.zip"));
        window.Show();
    }
    HWND Window() const { return window.Handle(); }
    HWND List() const { return GetDlgItem(window.Handle(), frmBralto::lisFich); }

    HGLOBAL Drop(const std::vector<std::wstring>& names) {
        HGLOBAL drop = MakeDrop(names);
        PostMessageW(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        return drop;
    }
    // Lets the window handle what is queued, and what that brings.
    void Settle() {
        test::PumpUntil([] { return false; }, 500);
    }
    // Waits for the drop's job to end with `rows` members listed.
    ::testing::AssertionResult WaitListed(int rows) {
        if (test::PumpUntil([&] { return !window.Busy() && test::ListCount(List()) == rows; }, kJobTimeout))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "listed " << test::ListCount(List()) << " rows, busy " << window.Busy();
    }
    std::wstring TreeCopy(const std::wstring& name) {
        const std::wstring copy = WorkFolder() + name;
        CopyFileW((FixtureFolder() + L"tree.zip").c_str(), copy.c_str(), FALSE);
        return copy;
    }
    std::set<std::wstring> ListedNames() {
        std::set<std::wstring> names;
        for (int row = 0; row < test::ListCount(List()); ++row) names.insert(test::ListText(List(), row, 0));
        return names;
    }

    frmBralto window;
};

TEST_F(MainWindowDrop, OneArchiveWithNothingOpenIsOpenedWithoutAQuestion) {
    const std::wstring archive = TreeCopy(L"opened.zip");
    DialogAnswerer answerer([](HWND dialog, const SeenDialog&) {
        test::Press(dialog, IDCANCEL);
        return true;
    });
    HGLOBAL drop = Drop({archive});
    ASSERT_TRUE(test::PumpUntil([&] { return window.Tag() == archive; }, 10000));
    Settle();
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_EQ(test::TextOf(Window()), L"opened.zip");
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"top.txt", L"x.txt", L"y.txt", L"z.bin"}));
    EXPECT_TRUE(Released(drop));
}

TEST_F(MainWindowDrop, AnArchiveWhileAnotherIsOpenAsksOpenOrAdd) {
    const std::wstring open = TreeCopy(L"added-to-open.zip");
    const std::wstring dropped = TreeCopy(L"dropped.zip");
    ASSERT_TRUE(window.OpenAZip(open));

    int answer = IDCANCEL;
    std::vector<SeenDialog> seen;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& dialogSeen) {
        seen.push_back(dialogSeen);
        if (dialogSeen.caption == L"Drag and Drop")
            FillDropOptions(dialog, DropChoice{});
        else
            test::Press(dialog, answer);
        return true;
    });

    // Cancel: nothing changes.
    HGLOBAL drop = Drop({dropped});
    ASSERT_TRUE(test::PumpUntil([&] { return !seen.empty(); }, 10000));
    Settle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Bralto");
    EXPECT_EQ(seen[0].text, kQuestion);
    EXPECT_EQ(window.Tag(), open);
    EXPECT_FALSE(window.Busy());
    EXPECT_TRUE(Released(drop));

    // No: the dropped archive is added to the open one, as a member.
    seen.clear();
    answer = IDNO;
    drop = Drop({dropped});
    ASSERT_TRUE(WaitListed(5));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].caption, L"Drag and Drop");
    EXPECT_EQ(window.Tag(), open);
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"top.txt", L"x.txt", L"y.txt", L"z.bin", L"dropped.zip"}));
    EXPECT_TRUE(Released(drop));

    // Yes: the dropped archive is opened instead.
    seen.clear();
    answer = IDYES;
    drop = Drop({dropped});
    ASSERT_TRUE(test::PumpUntil([&] { return window.Tag() == dropped; }, 10000));
    Settle();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(test::ListCount(List()), 4);
    EXPECT_TRUE(Released(drop));
}

TEST_F(MainWindowDrop, AnArchiveNamedBraltoCountsAsOpen) {
    // Its caption is the program's name; it is open all the same.
    const std::wstring open = TreeCopy(L"Bralto");
    ASSERT_TRUE(window.OpenAZip(open));
    ASSERT_EQ(test::TextOf(Window()), L"Bralto");
    std::vector<SeenDialog> seen;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& dialogSeen) {
        seen.push_back(dialogSeen);
        test::Press(dialog, IDCANCEL);
        return true;
    });
    Drop({TreeCopy(L"another.zip")});
    ASSERT_TRUE(test::PumpUntil([&] { return !seen.empty(); }, 10000));
    Settle();
    EXPECT_EQ(seen[0].text, kQuestion);
    EXPECT_EQ(window.Tag(), open);
}

TEST_F(MainWindowDrop, ATextFileWithNothingOpenAsksANewArchiveThenTheOptions) {
    const std::wstring text = WorkFolder() + L"note.txt";
    test::WriteText(text, "a note dropped on the window");
    const std::wstring archive = WorkFolder() + L"new-from-text.zip";
    DeleteFileW(archive.c_str());
    std::vector<std::wstring> captions;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        if (seen.caption == L"Créer une nouvelle archive")
            NameInSaveDialog(dialog, archive);
        else if (seen.caption == L"Drag and Drop")
            FillDropOptions(dialog, DropChoice{});
        else
            test::Press(dialog, IDOK);
        return true;
    });
    HGLOBAL drop = Drop({text});
    ASSERT_TRUE(WaitListed(1));
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"Créer une nouvelle archive", L"Drag and Drop"}));
    EXPECT_EQ(window.Tag(), archive);
    EXPECT_EQ(test::TextOf(Window()), L"new-from-text.zip");
    EXPECT_EQ(ListedNames(), std::set<std::wstring>{L"note.txt"});
    EXPECT_EQ(window.RecentArchives().items[1].tag, archive);
    EXPECT_TRUE(Released(drop));
}

TEST_F(MainWindowDrop, CancellingTheNewArchiveOrTheOptionsOnlyStopsTheDrop) {
    const std::wstring text = WorkFolder() + L"kept.txt";
    test::WriteText(text, "not added");
    const std::wstring archive = WorkFolder() + L"never-made.zip";
    DeleteFileW(archive.c_str());
    bool cancelSave = true;
    std::vector<std::wstring> captions;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        if (seen.caption == L"Créer une nouvelle archive" && cancelSave)
            test::Press(dialog, IDCANCEL);
        else if (seen.caption == L"Créer une nouvelle archive")
            NameInSaveDialog(dialog, archive);
        else if (seen.caption == L"Drag and Drop")
            test::Press(dialog, frmDrag::cmdCancel);
        return true;
    });
    // The Save dialog cancelled: the window stays, nothing is open.
    HGLOBAL drop = Drop({text});
    ASSERT_TRUE(test::PumpUntil([&] { return !captions.empty(); }, 10000));
    Settle();
    ASSERT_TRUE(IsWindow(Window()));
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_EQ(captions, std::vector<std::wstring>{L"Créer une nouvelle archive"});
    EXPECT_TRUE(window.Tag().empty());
    EXPECT_TRUE(Released(drop));

    // The options cancelled: the archive is named, but nothing is added.
    captions.clear();
    cancelSave = false;
    drop = Drop({text});
    ASSERT_TRUE(test::PumpUntil([&] { return captions.size() == 2; }, 10000));
    Settle();
    EXPECT_EQ(window.Tag(), archive);
    EXPECT_FALSE(window.Busy());
    EXPECT_FALSE(Exists(archive));
    EXPECT_TRUE(Released(drop));
}

TEST_F(MainWindowDrop, AFolderTreeWithAndWithoutItsSubFolders) {
    std::vector<std::wstring> captions;
    DropChoice choice;
    choice.storePaths = true;
    choice.subFolders = true;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        if (seen.caption == L"Drag and Drop")
            FillDropOptions(dialog, choice);
        else
            test::Press(dialog, IDOK);
        return true;
    });
    // With sub-folders: one "*.*" per folder of the tree, every file in.
    const std::wstring deep = WorkFolder() + L"tree-deep.zip";
    CopyFileW((FixtureFolder() + L"empty.zip").c_str(), deep.c_str(), FALSE);
    ASSERT_TRUE(window.OpenAZip(deep));
    HGLOBAL drop = Drop({TreeSource()});
    ASSERT_TRUE(WaitListed(4)) << Texts(answerer.Seen());
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"top.txt", L"x.txt", L"y.txt", L"z.bin"}));
    EXPECT_EQ(captions, std::vector<std::wstring>{L"Drag and Drop"});
    EXPECT_TRUE(Released(drop));

    // Without: only the files directly in it. The folder comes with a
    // trailing backslash, as some file managers send folders.
    const std::wstring flat = WorkFolder() + L"tree-flat.zip";
    CopyFileW((FixtureFolder() + L"empty.zip").c_str(), flat.c_str(), FALSE);
    ASSERT_TRUE(window.OpenAZip(flat));
    captions.clear();
    choice.subFolders = false;
    drop = Drop({TreeSource() + L"\\"});
    ASSERT_TRUE(WaitListed(1)) << Texts(answerer.Seen());
    EXPECT_EQ(ListedNames(), std::set<std::wstring>{L"top.txt"});
    EXPECT_EQ(captions, std::vector<std::wstring>{L"Drag and Drop"});
    EXPECT_TRUE(Released(drop));
}

TEST_F(MainWindowDrop, HiddenFilesOnlyWhenTheOptionIsTicked) {
    const std::wstring shown = WorkFolder() + L"shown.txt";
    const std::wstring hidden = WorkFolder() + L"secret.txt";
    test::WriteText(shown, "shown");
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
    test::WriteText(hidden, "hidden");
    ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    const std::wstring archive = WorkFolder() + L"hidden-left-out.zip";
    CopyFileW((FixtureFolder() + L"empty.zip").c_str(), archive.c_str(), FALSE);
    ASSERT_TRUE(window.OpenAZip(archive));
    DropChoice choice;
    choice.systemAndHidden = false;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Drag and Drop")
            FillDropOptions(dialog, choice);
        else
            test::Press(dialog, IDOK);
        return true;
    });
    Drop({hidden, shown});
    ASSERT_TRUE(WaitListed(1));
    EXPECT_EQ(ListedNames(), std::set<std::wstring>{L"shown.txt"});

    choice.systemAndHidden = true;
    Drop({hidden});
    ASSERT_TRUE(WaitListed(2));
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"shown.txt", L"secret.txt"}));
}

// "Aucune" compression, "Crypter les fichiers", "Supprimer les originaux"
// and "Inclure les répertoires vides", each on a drop of its own; the
// peers check the archives (methods, encryption, directory members).
TEST_F(MainWindowDrop, TheOptionsOfTheDropReachItsJob) {
    DropChoice choice;
    int passwordWindows = 0;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Drag and Drop") {
            FillDropOptions(dialog, choice);
            return true;
        }
        if (seen.caption == L"Mot de passe") {
            ++passwordWindows;
            SetDlgItemTextW(dialog, frmPwdGive::txtPwd, L"Glisser-2024");
            SetDlgItemTextW(dialog, frmPwdGive::txtConfirm, L"Glisser-2024");
        }
        test::Press(dialog, IDOK);
        return true;
    });
    auto dropInto = [&](const std::wstring& name, const std::vector<std::wstring>& dropped, int rows) {
        const std::wstring archive = WorkFolder() + name;
        CopyFileW((FixtureFolder() + L"empty.zip").c_str(), archive.c_str(), FALSE);
        if (!window.OpenAZip(archive)) return ::testing::AssertionFailure() << "the copy of empty.zip does not open";
        HGLOBAL drop = Drop(dropped);
        ::testing::AssertionResult listed = WaitListed(rows);
        if (listed && !Released(drop)) return ::testing::AssertionFailure() << "drop not released";
        return listed;
    };
    const std::string text(20000, 'a');  // much smaller once compressed

    const std::wstring plain = WorkFolder() + L"stored.txt";
    test::WriteText(plain, text);
    choice.compression = 3;  // "Aucune"
    ASSERT_TRUE(dropInto(L"option-stored.zip", {plain}, 1)) << Texts(answerer.Seen());

    choice = DropChoice{};
    choice.encrypt = true;
    ASSERT_TRUE(dropInto(L"option-encrypted.zip", {plain}, 1)) << Texts(answerer.Seen());
    EXPECT_EQ(passwordWindows, 1);
    EXPECT_EQ(test::ListText(List(), 0, 1), L"©");

    const std::wstring moved = WorkFolder() + L"moved.txt";
    test::WriteText(moved, "moved into the archive");
    choice = DropChoice{};
    choice.action = 3;  // "Déplacer"
    ASSERT_TRUE(dropInto(L"option-moved.zip", {moved}, 1)) << Texts(answerer.Seen());
    EXPECT_FALSE(Exists(moved)) << "the original stays after a move";

    const std::wstring folder = WorkFolder() + L"withdirs";
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\empty").c_str(), nullptr);
    test::WriteText(folder + L"\\file.txt", "beside an empty folder");
    choice = DropChoice{};
    choice.storePaths = true;
    choice.subFolders = true;
    choice.storeDirectories = true;
    // The list shows files only; the peers look for the folder's member.
    ASSERT_TRUE(dropInto(L"option-dirs.zip", {folder}, 1)) << Texts(answerer.Seen());
    EXPECT_EQ(ListedNames().count(L"file.txt"), 1u);
}

TEST_F(MainWindowDrop, ANameThatIsGoneIsReportedAndVanishedNamesAmongSeveralAreSkipped) {
    const std::wstring gone = WorkFolder() + L"gone.txt";
    DeleteFileW(gone.c_str());
    std::vector<SeenDialog> seen;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& dialogSeen) {
        seen.push_back(dialogSeen);
        if (dialogSeen.caption == L"Drag and Drop")
            FillDropOptions(dialog, DropChoice{});
        else
            test::Press(dialog, IDOK);
        return true;
    });
    HGLOBAL drop = Drop({gone});
    ASSERT_TRUE(test::PumpUntil([&] { return !seen.empty(); }, 10000));
    Settle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Erreur lors de l'ouverture de " + gone + L".");
    EXPECT_TRUE(window.Tag().empty());
    EXPECT_TRUE(Released(drop));

    const std::wstring archive = WorkFolder() + L"skipped-vanished.zip";
    CopyFileW((FixtureFolder() + L"empty.zip").c_str(), archive.c_str(), FALSE);
    ASSERT_TRUE(window.OpenAZip(archive));
    seen.clear();
    const std::wstring present = WorkFolder() + L"present.txt";
    test::WriteText(present, "here");
    Drop({gone, present});
    ASSERT_TRUE(WaitListed(1));
    EXPECT_EQ(ListedNames(), std::set<std::wstring>{L"present.txt"});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Drag and Drop");
}

TEST_F(MainWindowDrop, DropsDuringAJobOrWhileAWindowIsOpenAreIgnoredAndReleased) {
    const std::wstring archive = WorkFolder() + L"during-job.zip";
    DeleteFileW(archive.c_str());
    CopyFileW((FixtureFolder() + L"empty.zip").c_str(), archive.c_str(), FALSE);
    ASSERT_TRUE(window.OpenAZip(archive));
    const std::wstring note = WorkFolder() + L"late.txt";
    test::WriteText(note, "dropped too late");

    // A second drop while the options window is open. A freed handle may
    // come back for the next allocation: each is checked before another is
    // made.
    std::atomic<HGLOBAL> first{nullptr};
    std::atomic<bool> firstReleased{false}, secondReleased{false};
    std::atomic<int> optionWindows{0};
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption != L"Drag and Drop") {
            test::Press(dialog, IDOK);
            return true;
        }
        if (++optionWindows == 1) {
            firstReleased = Released(first);
            HGLOBAL second = MakeDrop({note});
            PostMessageW(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(second), 0);
            Sleep(500);
            secondReleased = Released(second);
        }
        FillDropOptions(dialog, DropChoice{});
        return true;
    });
    // 400 files of 20 kB: long enough a job to drop on.
    first = MakeDrop({FixtureFolder() + L"add\\many"});
    PostMessageW(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(first.load()), 0);
    ASSERT_TRUE(test::PumpUntil([&] { return window.Busy(); }, 15000));
    EXPECT_TRUE(firstReleased);
    EXPECT_TRUE(secondReleased);

    HGLOBAL duringJob = Drop({note});
    test::PumpUntil([&] { return Released(duringJob) || !window.Busy(); }, 5000);
    EXPECT_TRUE(window.Busy()) << "the job ended before the drop: it proves nothing";
    EXPECT_TRUE(Released(duringJob));
    ASSERT_TRUE(WaitListed(400));
    EXPECT_EQ(optionWindows, 1);
    EXPECT_EQ(ListedNames().count(L"late.txt"), 0u);
}

TEST_F(MainWindowDrop, AFolderWhoseLinksLoopBackIsRefusedNotWalkedForever) {
    // As a folder of the Linux side may be: two links back to its parent
    // at every level, a tree without end through the links.
    const std::wstring loop = FixtureFolder() + L"droploop";
    ASSERT_TRUE(GetFileAttributesW((loop + L"\\a\\up1\\a\\up2").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    const std::wstring archive = WorkFolder() + L"looped.zip";
    DeleteFileW(archive.c_str());
    CopyFileW((FixtureFolder() + L"empty.zip").c_str(), archive.c_str(), FALSE);
    ASSERT_TRUE(window.OpenAZip(archive));
    std::vector<SeenDialog> seen;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& dialogSeen) {
        seen.push_back(dialogSeen);
        if (dialogSeen.caption == L"Drag and Drop") {
            DropChoice choice;
            choice.subFolders = true;
            FillDropOptions(dialog, choice);
        } else {
            test::Press(dialog, IDOK);
        }
        return true;
    });
    HGLOBAL drop = Drop({loop});
    ASSERT_TRUE(test::PumpUntil([&] { return seen.size() == 2; }, 30000));
    Settle();
    EXPECT_EQ(seen[1].text, L"Trop de fichiers à traiter !\r\nEffectuer plusieurs sélections plus petites.");
    EXPECT_FALSE(window.Busy());
    EXPECT_EQ(window.StatusText(), L"Prêt");
    EXPECT_TRUE(Released(drop));
}

TEST_F(MainWindowDrop, ADropWithoutNamesDoesNothing) {
    DialogAnswerer answerer([](HWND dialog, const SeenDialog&) {
        test::Press(dialog, IDCANCEL);
        return true;
    });
    HGLOBAL drop = Drop({});
    Settle();
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_TRUE(IsWindow(Window()));
    EXPECT_TRUE(Released(drop));
}

}  // namespace
}  // namespace bralto
