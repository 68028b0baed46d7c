// The keyed icon cache the file list, folder tree and archive list share:
// one image per key, unknown keys for what could not be added.
#include <gtest/gtest.h>

#include <windows.h>

#include "KeyedImageList.h"

namespace bralto {
namespace {

HICON SystemIcon() { return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)); }

TEST(KeyedImageList, EachKeyAddsItsImageOnceAndFailuresLeaveTheKeyUnknown) {
    KeyedImageList cache;
    EXPECT_EQ(cache.Add(L".txt", SystemIcon()), -1);  // no list yet
    ASSERT_TRUE(cache.Make(16));
    const int text = cache.Add(L".txt", SystemIcon());
    ASSERT_GE(text, 0);
    EXPECT_EQ(cache.Add(L".txt", SystemIcon()), text);
    const int zip = cache.Add(L".zip", SystemIcon());
    EXPECT_NE(zip, text);
    EXPECT_EQ(cache.ImageCount(), 2);
    EXPECT_EQ(cache.IndexOf(L".zip"), zip);
    EXPECT_EQ(cache.Add(L".doc", nullptr), -1);
    EXPECT_FALSE(cache.HasKey(L".doc"));
    EXPECT_EQ(cache.IndexOf(L".doc"), -1);
    EXPECT_EQ(cache.KeyCount(), 2u);
}

TEST(KeyedImageList, UnkeyedPicturesTakePlacesButNoKeysAndClearDropsAll) {
    KeyedImageList cache;
    ASSERT_TRUE(cache.Make(16, 4));
    WindowDc screen(nullptr);
    UniqueGdiObject picture(CreateCompatibleBitmap(screen.get(), 16, 16));
    EXPECT_EQ(cache.AddMasked(static_cast<HBITMAP>(picture.get()), RGB(255, 0, 255)), 0);
    EXPECT_EQ(cache.Add(L"Dossier", SystemIcon()), 1);
    EXPECT_EQ(cache.KeyCount(), 1u);
    cache.Clear();
    EXPECT_FALSE(cache);
    EXPECT_EQ(cache.ImageCount(), 0);
    EXPECT_EQ(cache.IndexOf(L"Dossier"), -1);
}

}  // namespace
}  // namespace bralto
