#include "CommentJobs.h"

#include "AutomationError.h"
#include "cUnzip.h"
#include "cZip.h"
#include "unzip_api.h"
#include "zip_api.h"

namespace bralto {

namespace {

// Comment_Unzip's events: only its messages matter.
class CommentReader : public IUnzipEvents {
public:
    explicit CommentReader(const CommentEngine::Progress& progress) : progress_(progress) {}
    void Progress(const std::wstring& message) override { progress_(message); }
    void Cancel(const std::wstring&, bool&) override {}
    void OverwritePrompt(const std::wstring&, long&) override {}
    void PasswordRequest(std::wstring&, bool& cancel, const std::wstring&) override { cancel = true; }

private:
    const CommentEngine::Progress& progress_;
};

// Comment_Zip's events: its comment request, and its messages, which say
// why a comment could not be written.
class CommentWriter : public IZipEvents {
public:
    CommentWriter(const CommentEngine::Request& request, const CommentEngine::Progress& progress)
        : request_(request), progress_(progress) {}
    void Progress(const std::wstring& message) override { progress_(message); }
    void Cancel(const std::wstring&, bool&) override {}
    void PasswordRequest(std::wstring&, bool& cancel) override { cancel = true; }
    void CommentRequest(std::wstring& comment, bool& cancel, bool& clear) override { request_(comment, cancel, clear); }

private:
    const CommentEngine::Request& request_;
    const CommentEngine::Progress& progress_;
};

}  // namespace

CommentEngine InProcessCommentEngine() {
    CommentEngine engine;
    engine.readComment = [](const std::wstring& archive, const CommentEngine::Progress& progress) -> long {
        CommentReader reader(progress);
        cUnzip unzip;
        unzip.SetListener(&reader);
        try {
            unzip.ZipFile(archive);
            unzip.DisplayComment(true);
            return unzip.unzip();
        } catch (const AutomationError&) {
            return PK_PARAM;  // the job could not be handed to the library (its DLL missing, say)
        }
    };
    engine.writeComment = [](const std::wstring& archive, const CommentEngine::Request& request,
                             const CommentEngine::Progress& progress) -> long {
        CommentWriter writer(request, progress);
        cZip zip;
        zip.SetListener(&writer);
        try {
            zip.ZipFile(archive);
            zip.AddComment(true);
            return zip.Zip();
        } catch (const AutomationError&) {
            return ZE_PARMS;
        }
    };
    return engine;
}

}  // namespace bralto
