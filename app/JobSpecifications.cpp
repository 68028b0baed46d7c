#include "JobSpecifications.h"

#include "Common.h"

namespace bralto {

std::vector<std::wstring> FolderTreeSpecifications(const std::wstring& rowText) {
    const size_t slash = rowText.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {rowText};
    const std::wstring mask = rowText.substr(slash + 1);
    std::vector<std::wstring> folders;
    ListSubFolders(rowText.substr(0, slash), folders);
    std::vector<std::wstring> specs;
    specs.reserve(folders.size());
    for (const std::wstring& folder : folders) specs.push_back(folder + L"\\" + mask);
    return specs;
}

std::vector<std::wstring> AddSpecificationsOf(const std::vector<AddSelection>& rows, bool includeSystemAndHidden) {
    std::vector<std::wstring> specs;
    for (const AddSelection& row : rows) {
        if (row.kind == SelectionKind::FolderWithSubFolders) {
            for (std::wstring& spec : FolderTreeSpecifications(row.text)) specs.push_back(std::move(spec));
        } else if (row.kind == SelectionKind::FolderAlone || includeSystemAndHidden || !IsHiddenOrSystem(row.text)) {
            specs.push_back(row.text);
        }
    }
    return specs;
}

std::wstring DeleteSpecificationOf(const std::wstring& storedFolder, const std::wstring& name) {
    if (storedFolder.empty()) return name;
    return L"\\" + storedFolder + L"\\" + name;
}

}  // namespace bralto
