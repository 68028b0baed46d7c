// The file specifications that the add and delete commands hand to their
// zip jobs, built from the rows the user chose.
#pragma once

#include <string>
#include <vector>

namespace bralto {

// A folder row with sub-folders ("C:\Docs\*.txt"): the row's folder and
// every folder below it, breadth first, each followed by the row's mask.
std::vector<std::wstring> FolderTreeSpecifications(const std::wstring& rowText);

// The specification that deletes one listed member: "\folder\name" when the
// member is stored in a folder, the name alone otherwise.
std::wstring DeleteSpecificationOf(const std::wstring& storedFolder, const std::wstring& name);

}  // namespace bralto
