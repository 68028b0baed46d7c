// The page of Bralto.chm that F1 opens in each window: "page.htm" or
// "page.htm#anchor". help/check_help.py reads this file and fails the build
// when a topic names a page or an anchor the help sources do not have.
#pragma once

namespace bralto::help_topics {

inline constexpr wchar_t kAbout[] = L"menus.htm#apropos";
inline constexpr wchar_t kAddFiles[] = L"ajouter.htm";
inline constexpr wchar_t kAssociation[] = L"association.htm#fenetre";
inline constexpr wchar_t kBrowse[] = L"extraire.htm";
inline constexpr wchar_t kComment[] = L"outils.htm#commentaire";
inline constexpr wchar_t kDelete[] = L"supprimer.htm";
inline constexpr wchar_t kDrag[] = L"deposer.htm#options";
inline constexpr wchar_t kExtractFiles[] = L"extraire.htm";
inline constexpr wchar_t kFileInfo[] = L"outils.htm#info";
inline constexpr wchar_t kOverwrite[] = L"extraire.htm#ecraser";
inline constexpr wchar_t kPasswordAsk[] = L"motdepasse.htm#demander";
inline constexpr wchar_t kPasswordGive[] = L"motdepasse.htm#donner";
inline constexpr wchar_t kQuickExtract[] = L"express.htm#fenetre";
inline constexpr wchar_t kShellExtract[] = L"express.htm#shell";
inline constexpr wchar_t kTest[] = L"outils.htm#tester";
inline constexpr wchar_t kZipInfo[] = L"outils.htm#proprietes";

}  // namespace bralto::help_topics
