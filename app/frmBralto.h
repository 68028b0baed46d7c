// The main window.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

class frmBralto {
public:
    frmBralto();
    ~frmBralto();
    frmBralto(const frmBralto&) = delete;
    frmBralto& operator=(const frmBralto&) = delete;

    // Creates the window (once) and shows it.
    void Show();
    HWND Handle() const { return hwnd_; }

    // Opens an archive and lists it; false when it could not be opened.
    bool OpenAZip(const std::wstring& path);
    // Asks for the name of a new archive, the Save dialog preset with `path`.
    void NewFromShell(const std::wstring& path);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::wstring archivePath_;
};

}  // namespace bralto
