#include "KeyedImageList.h"

namespace bralto {

bool KeyedImageList::Make(int side, int grow) {
    Clear();
    images_.reset(ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, grow, grow));
    return static_cast<bool>(images_);
}

void KeyedImageList::Clear() {
    keys_.clear();
    images_.reset();
}

int KeyedImageList::IndexOf(const std::wstring& key) const {
    auto known = keys_.find(key);
    return known == keys_.end() ? -1 : known->second;
}

int KeyedImageList::Add(const std::wstring& key, HICON icon) {
    const int known = IndexOf(key);
    if (known >= 0) return known;
    if (!images_ || !icon) return -1;
    const int index = ImageList_AddIcon(images_.get(), icon);
    if (index >= 0) keys_[key] = index;
    return index;
}

int KeyedImageList::AddMasked(HBITMAP picture, COLORREF mask) {
    return images_ ? ImageList_AddMasked(images_.get(), picture, mask) : -1;
}

int KeyedImageList::ImageCount() const { return images_ ? ImageList_GetImageCount(images_.get()) : 0; }

}  // namespace bralto
