// The add-files window's selection list (lisSélect) and its small icons
// (imaSélect): the folders and files the user collected, one row each.
//
// A row's kind is kept twice, as the list shows it: as the row's icon
// number (1 a folder alone, 2 a folder with its sub-folders, 3 or more a
// file, whose icon is the shell's icon of its type) and as the marker of the
// second column ("B", "A", "X").
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "GdiHandles.h"

namespace bralto {

enum class SelectionKind { FolderWithSubFolders, FolderAlone, File };

struct AddSelection {
    SelectionKind kind = SelectionKind::File;
    std::wstring text;    // a folder's path, "\" and the mask; a file's full path
    int icon = 0;         // the row's icon number: 2, 1, or 3 and more for a file
    std::wstring marker;  // "A", "B" or "X"

    bool IsFolder() const { return icon < 3; }
    bool IncludesSubFolders() const { return kind == SelectionKind::FolderWithSubFolders; }
    // A folder row split at its last backslash: "C:\Docs" and "*.txt".
    std::wstring Folder() const;
    std::wstring Mask() const;
};

// The marker of the second column for a kind.
const wchar_t* SelectionMarker(SelectionKind kind);

// True when files of the same name may come from different folders: the
// folder rows' icon numbers add up to more than 1 (two folders, or one
// folder with its sub-folders). File rows never count.
bool SelectionMayConflict(const std::vector<AddSelection>& rows);

// The key under which a file's icon is kept: the shell's display name from
// its last dot on, or the whole display name when it has no dot.
std::wstring FileImageKey(const std::wstring& displayName);

class SelectionList {
public:
    SelectionList() = default;
    SelectionList(const SelectionList&) = delete;
    SelectionList& operator=(const SelectionList&) = delete;

    // Makes the list view as a child of `dialog` at `place` (pixels); false
    // when it could not be made.
    bool Create(HWND dialog, int id, const RECT& place);
    HWND hWnd() const { return list_; }

    // Rows are appended; nothing checks for duplicates.
    void AddFolder(const std::wstring& folder, const std::wstring& mask, bool withSubFolders);
    void AddFile(const std::wstring& folder, const std::wstring& name);
    // Removes every selected row; returns how many went.
    int DeleteSelected();
    int Count() const;
    std::vector<AddSelection> Rows() const;

private:
    void AddRow(const std::wstring& text, int icon, const wchar_t* marker);
    int FileIcon(const std::wstring& name);
    void MakeFolderImages();

    HWND list_ = nullptr;
    UniqueImageList images_;
    std::map<std::wstring, int> fileImages_;  // key -> icon number
};

}  // namespace bralto
