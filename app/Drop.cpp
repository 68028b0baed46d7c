#include "Drop.h"

#include "Common.h"

namespace bralto {

namespace {

bool IsDriveRoot(const std::wstring& name) { return name.size() == 3 && name[1] == L':' && name[2] == L'\\'; }

std::wstring WithoutTrailingSeparators(std::wstring name) {
    while (name.size() > 1 && (name.back() == L'\\' || name.back() == L'/') && !IsDriveRoot(name)) name.pop_back();
    return name;
}

// "C:\" and "C:" both become "C:", so that "\*.*" and "\name" join to it
// without a doubled separator.
std::wstring FolderForJoining(const std::wstring& folder) {
    std::wstring joined = folder;
    while (!joined.empty() && joined.back() == L'\\') joined.pop_back();
    return joined;
}

void AddFolderSpecifications(const std::wstring& folder, bool subFolders, size_t limit,
                             std::vector<std::wstring>& specs) {
    const std::wstring top = FolderForJoining(folder);
    if (!subFolders) {
        specs.push_back(top + L"\\*.*");
        return;
    }
    std::vector<std::wstring> tree;
    ListSubFolders(top, tree, limit - specs.size());
    for (const std::wstring& each : tree) specs.push_back(each + L"\\*.*");
}

}  // namespace

std::vector<std::wstring> DroppedNames(HDROP drop) {
    std::vector<std::wstring> names;
    if (!drop) return names;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring name(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, &name[0], length + 1);
        name.resize(copied < length ? copied : length);
        name = WithoutTrailingSeparators(name);
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

DroppedKind KindOf(const std::wstring& name) {
    // The attributes rather than a file search: a search finds no drive root.
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return DroppedKind::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return DroppedKind::Folder;
    if (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return DroppedKind::HiddenOrSystemFile;
    return DroppedKind::File;
}

std::vector<std::wstring> DropSpecificationsOf(const std::vector<std::wstring>& names, bool subFolders,
                                               bool includeSystemAndHidden, size_t limit) {
    std::vector<std::wstring> specs;
    for (const std::wstring& name : names) {
        if (specs.size() >= limit) break;
        switch (KindOf(name)) {
        case DroppedKind::Missing: break;
        case DroppedKind::Folder: AddFolderSpecifications(name, subFolders, limit, specs); break;
        case DroppedKind::HiddenOrSystemFile:
            if (includeSystemAndHidden) specs.push_back(name);
            break;
        case DroppedKind::File: specs.push_back(name); break;
        }
    }
    return specs;
}

}  // namespace bralto
