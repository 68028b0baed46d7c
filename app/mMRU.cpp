#include "mMRU.h"

#include "Common.h"
#include "Settings.h"

namespace bralto {

std::wstring MruCaption(int position, const std::wstring& path) {
    return L"&" + std::to_wstring(position) + L". " + FileTitleOf(path);
}

void LoadMRU(MruMenu& menu) {
    menu.items[0].caption = L"-";
    int loaded = 0;
    for (int n = 1; n <= MruMenu::kEntries; ++n) {
        const std::wstring path = Settings::RecentArchive(n);
        if (path.empty()) break;
        menu.items[n] = {MruCaption(n, path), path, true};
        ++loaded;
    }
    if (loaded > 0) menu.items[0].visible = true;
}

void SaveMRU(const MruMenu& menu) {
    for (int n = 1; n <= MruMenu::kEntries; ++n) {
        if (!menu.items[n].visible) break;
        Settings::SetRecentArchive(n, menu.items[n].tag);
    }
}

bool AddMRU(MruMenu& menu, const std::wstring& path) {
    int found = 0;
    for (int n = 1; n <= MruMenu::kEntries && !found; ++n)
        if (menu.items[n].tag == path) found = n;
    if (found == 1) return false;

    if (found == 0) {
        for (int n = MruMenu::kEntries - 1; n >= 1; --n) {
            if (menu.items[n].tag.empty()) continue;
            menu.items[n + 1] = {MruCaption(n + 1, menu.items[n].tag), menu.items[n].tag, true};
        }
        menu.items[1] = {MruCaption(1, path), path, true};
        menu.items[0].caption = L"-";
        menu.items[0].visible = true;
    } else {
        for (int m = found - 1; m >= 1; --m) {
            menu.items[m + 1].tag = menu.items[m].tag;
            menu.items[m + 1].caption = MruCaption(m + 1, menu.items[m].tag);
        }
        menu.items[1].tag = path;
        menu.items[1].caption = MruCaption(1, path);
    }
    SaveMRU(menu);
    return true;
}

}  // namespace bralto
