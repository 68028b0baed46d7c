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

// The first line of the message for a missing help file:
// "Le fichier d'aide <path> est introuvable."
std::wstring MissingHelpText(const std::wstring& helpFile);

}  // namespace bralto
