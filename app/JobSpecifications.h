// The file specifications that the add and delete commands hand to their
// zip jobs, built from the rows the user chose.
#pragma once

#include <string>
#include <vector>

#include "AddFilesSelection.h"

namespace bralto {

// A folder row with sub-folders ("C:\Docs\*.txt"): the row's folder and
// every folder below it, breadth first, each followed by the row's mask.
std::vector<std::wstring> FolderTreeSpecifications(const std::wstring& rowText);

// The specifications of the add-files window's rows, in list order: a
// folder row with sub-folders expands as above, a folder row alone is taken
// as it is, and a file row too unless it is hidden or system and such files
// are left out.
std::vector<std::wstring> AddSpecificationsOf(const std::vector<AddSelection>& rows, bool includeSystemAndHidden);

// The specification that deletes one listed member: "\folder\name" when the
// member is stored in a folder, the name alone otherwise.
std::wstring DeleteSpecificationOf(const std::wstring& storedFolder, const std::wstring& name);

}  // namespace bralto
