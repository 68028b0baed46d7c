#include "ApplicationLaunch.h"

#include "Common.h"
#include "Settings.h"
#include "frmRegister.h"
#include "frmShellExtract.h"

namespace bralto {

bool ApplicationLaunch::RegisterDeclined() { return Settings::RegisterDeclined(); }

void ApplicationLaunch::ShowRegisterWindow() { frmRegister::Show(nullptr, frmRegister::ProgramFolder()); }

void ApplicationLaunch::ShowMainWindow() {
    if (!mainWindow_) mainWindow_ = std::make_unique<frmBralto>();
    mainWindow_->Show();
}

void ApplicationLaunch::OpenAZip(const std::wstring& path) {
    ShowMainWindow();
    mainWindow_->OpenAZip(path);
}

void ApplicationLaunch::NewFromShell(const std::wstring& path) {
    ShowMainWindow();
    mainWindow_->NewFromShell(path);
}

void ApplicationLaunch::QuickExtract(const std::wstring& archivePath) {
    shellExtract_ = std::make_unique<frmShellExtract>();
    shellExtract_->ArchivePath = archivePath;
    shellExtract_->QuickExtract();
}

std::wstring ApplicationLaunch::LongPathOf(const std::wstring& path) { return bralto::LongPathOf(path); }

}  // namespace bralto
