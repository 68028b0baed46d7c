// What a drop on the main window carries, and the file specifications a
// zip job gets from the dropped names. The main window's own handling of
// the drop (open or add) is in frmBraltoDrop.cpp.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace bralto {

// Specifications a drop's zip job is given at most: one more than a zip job
// takes, so that the job start still refuses the drop with its message,
// while a huge tree (or one that loops through links) is not walked to its
// end first.
constexpr size_t kDropSpecificationLimit = 1024;

// Every name the drop carries, in its order, each at its full length (the
// drop is read, not released). Empty names are left out; a trailing "\"
// that some senders put after a folder is removed, except on a drive root.
std::vector<std::wstring> DroppedNames(HDROP drop);

enum class DroppedKind { Missing, Folder, File, HiddenOrSystemFile };

// What a dropped name is on disk now.
DroppedKind KindOf(const std::wstring& name);

// The specifications of the dropped names, in their order, at most `limit`:
// a folder gives folder\*.* (with `subFolders`, one such specification for
// it and for every folder below it, breadth first); a file gives its name,
// a hidden or system one only with `includeSystemAndHidden`; a name no
// longer found gives nothing.
std::vector<std::wstring> DropSpecificationsOf(const std::vector<std::wstring>& names, bool subFolders,
                                               bool includeSystemAndHidden, size_t limit = kDropSpecificationLimit);

}  // namespace bralto
