// The help file, Bralto.chm beside the program, shown by the system's HTML
// Help viewer. The viewer (hhctrl.ocx) is loaded when help is first asked
// for, so Bralto starts and works where it is missing; its windows belong
// to this process and close when the viewer is unloaded at exit.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

// The program's folder, a backslash and "Bralto.chm".
std::wstring HelpFilePath();

// Opens `helpFile` in the HTML Help viewer at `topic`, a page inside the
// file ("ajouter.htm"), or at its default page when `topic` is empty.
// Returns the viewer's window. A missing file, a missing viewer or a viewer
// that shows nothing is told to the user in a message box owned by `owner`
// (titled "Bralto"), and the result is nullptr.
HWND ShowHelp(HWND owner, const std::wstring& helpFile, const std::wstring& topic = L"");

// What every dialog does with WM_HELP, which the system sends it for F1:
// opens the dialog's `topic` (help_topics, HtmlHelpTopics.h) of the
// program's help file, the viewer owned by the dialog. Returns TRUE, the
// dialog procedure's answer for a handled message.
INT_PTR ShowDialogHelp(HWND dialog, const wchar_t* topic);

// The viewer's entry point, HtmlHelpW's signature. A test puts its own in
// place to see what a window asks the viewer for; nullptr gives hhctrl.ocx
// its place back.
using HtmlHelpEntry = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
void ReplaceHtmlHelpEntry(HtmlHelpEntry entry);

// The first line of the message for a missing help file:
// "Le fichier d'aide <path> est introuvable."
std::wstring MissingHelpText(const std::wstring& helpFile);

}  // namespace bralto
