// frmComment: reads the archive comment into a text box and writes it back
// ("&Enregistrer") or removes it ("E&ffacer"), with the in-process engines.
// The engines are handed in by the caller (the tests play them).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto {

struct CommentEngine {
    using Progress = std::function<void(const std::wstring& message)>;
    using Request = std::function<void(std::wstring& comment, bool& cancel, bool& clear)>;
    // Runs an unzip job with DisplayComment on the archive, giving each
    // library message to `progress`; returns the unzip library's code.
    std::function<long(const std::wstring& archive, const Progress& progress)> readComment;
    // Runs a zip job with AddComment on the archive, its CommentRequest
    // answered by `request` and each library message given to `progress`;
    // returns the zip library's code (ZE_OK = written).
    std::function<long(const std::wstring& archive, const Request& request, const Progress& progress)> writeComment;
};

class frmComment {
public:
    // cmdAction(i) = cmdAction0 + i: 0 "&Enregistrer", 1 "E&ffacer", 2 "&Annuler".
    enum ControlId { txtComment = 101, cmdAction0 = 200, cmdAction1 = 201, cmdAction2 = 202 };

    // Shows the window modally and reads the comment of `archivePath` the
    // first time the window becomes active. A comment the engine could not
    // write is reported (the archive stays as it was) and the window stays
    // open with the text.
    static void Show(HWND owner, const std::wstring& archivePath, const CommentEngine& engine);

    // What follows "not saved" in the message of a failed write: the zip
    // library's own last message, or the shared text of its result code
    // when it said nothing, or the bare code when neither exists.
    static std::wstring FailureText(long result, const std::wstring& libraryMessages);
};

}  // namespace bralto
