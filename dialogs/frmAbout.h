// frmAbout: the program's name, version, description and legal notice from
// its own version information, the user registered on the machine, and the
// author's mail and web addresses, which open through the shell.
//
// It lives with the shell integration because it is built on the registry
// class and the shell-open routine; the option windows of dialogs/ sit
// below this library and cannot use them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto {

// What the version information of a program says, as the about box shows it.
struct VersionFacts {
    std::wstring productName;
    std::wstring description;  // FileDescription
    std::wstring legalNotice;  // LegalCopyright
    unsigned major = 0, minor = 0, revision = 0;
};

class frmAbout {
public:
    enum ControlId {
        lblTitle = 101,
        lblVersion = 102,
        lblDescription = 103,
        lblDisclaimer = 104,
        lblUser = 105,
        lblMail0 = 106,
        lblMail1 = 107,
        lblWeb0 = 108,
        lblWeb1 = 109,
        imaPicture = 110,
        Line10 = 111,
        Line11 = 112,
        cmdOK = IDOK
    };

    // How an address is opened: (owner, file) with the verb "open". By
    // default the shell-open routine, which reports failures itself.
    using Opener = std::function<void(HWND owner, const std::wstring& file)>;

    // Shows the box modally; it closes with "OK", Enter or Escape.
    static void Show(HWND owner, const Opener& open = {});

    // The version information of `modulePath` (empty facts when it has
    // none). The revision is the last of the four version numbers, the
    // third one being unused.
    static VersionFacts ReadVersionFacts(const std::wstring& modulePath);
    // "Version 2.0.15": decimal, no padding.
    static std::wstring VersionText(const VersionFacts& facts);
    // "License accordée à <name>" from the setup program's user
    // information under HKEY_USERS, or "" when that key does not exist.
    static std::wstring RegisteredUserLine();
};

}  // namespace bralto
