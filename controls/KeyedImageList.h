// An image list whose images are found again by a text key: the icon
// caches of the file list, the folder tree and the archive list, where a
// shell icon is asked for once per key (an extension, a type name, a path)
// and its image then serves every row of that key.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>

#include "GdiHandles.h"

namespace bralto {

class KeyedImageList {
public:
    KeyedImageList() = default;
    KeyedImageList(const KeyedImageList&) = delete;
    KeyedImageList& operator=(const KeyedImageList&) = delete;

    // Makes an empty list for images of `side` x `side` pixels, growing by
    // `grow` images, in place of any earlier list and its keys. False when
    // the list cannot be made.
    bool Make(int side, int grow = 16);
    // Drops the list and its keys; the next Make gives a fresh one.
    void Clear();

    // The list itself, owned here (nullptr before Make); a window that
    // shows it must not destroy it.
    HIMAGELIST get() const { return images_.get(); }
    explicit operator bool() const { return static_cast<bool>(images_); }

    // The image under `key`, or -1.
    int IndexOf(const std::wstring& key) const;
    bool HasKey(const std::wstring& key) const { return keys_.count(key) != 0; }
    // The image under `key`: on the key's first use a copy of `icon` is
    // added (the caller keeps and releases its icon). -1, and the key stays
    // unknown, when there is no list, no icon or the list refuses it.
    int Add(const std::wstring& key, HICON icon);
    // Adds a copy of a picture under no key, `mask` being its transparent
    // colour; the picture must not be selected into a DC. Its index or -1.
    int AddMasked(HBITMAP picture, COLORREF mask);

    int ImageCount() const;
    size_t KeyCount() const { return keys_.size(); }

private:
    UniqueImageList images_;
    std::map<std::wstring, int> keys_;
};

}  // namespace bralto
