// The launch targets of the running program: Bralto's own windows.
#pragma once

#include <memory>

#include "Start.h"
#include "frmBralto.h"
#include "frmShellExtract.h"

namespace bralto {

class ApplicationLaunch : public LaunchTargets {
public:
    bool RegisterDeclined() override;
    void ShowRegisterWindow() override;
    void ShowMainWindow() override;
    void OpenAZip(const std::wstring& path) override;
    void NewFromShell(const std::wstring& path) override;
    void QuickExtract(const std::wstring& archivePath) override;
    std::wstring LongPathOf(const std::wstring& path) override;

private:
    std::unique_ptr<frmBralto> mainWindow_;
    std::unique_ptr<frmShellExtract> shellExtract_;
};

}  // namespace bralto
