// mMRU: the four most recent archives of the File menu, newest first,
// mirrored into the settings ("MRU"/"1".."4") after every change. The
// entries live in a small model of the menu array mnuMRU (item 0 the
// separator, items 1 to 4 the entries); the window shows the model.
#pragma once

#include <array>
#include <string>

namespace bralto {

struct MruItem {
    std::wstring caption;
    std::wstring tag;  // full path of the archive
    bool visible = false;
};

struct MruMenu {
    static constexpr int kEntries = 4;
    // Index 0: the separator (caption "-"); 1 to 4: the entries.
    std::array<MruItem, kEntries + 1> items;
};

// "&" n ". " file name.
std::wstring MruCaption(int position, const std::wstring& path);

// Builds the menu from the settings; stops at the first empty value.
void LoadMRU(MruMenu& menu);
// Writes the visible entries; stops at the first hidden one.
void SaveMRU(const MruMenu& menu);
// Puts `path` at the top (exact, case-sensitive comparison). Returns false
// when it already was at the top (nothing changed, nothing written).
bool AddMRU(MruMenu& menu, const std::wstring& path);

}  // namespace bralto
