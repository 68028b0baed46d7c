#include "CommentJobs.h"

#include "AutomationError.h"
#include "cUnzip.h"
#include "cZip.h"

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

// Comment_Zip's events: only its comment request matters.
class CommentWriter : public IZipEvents {
public:
    explicit CommentWriter(const CommentEngine::Request& request) : request_(request) {}
    void Progress(const std::wstring&) override {}
    void Cancel(const std::wstring&, bool&) override {}
    void PasswordRequest(std::wstring&, bool& cancel) override { cancel = true; }
    void CommentRequest(std::wstring& comment, bool& cancel, bool& clear) override { request_(comment, cancel, clear); }

private:
    const CommentEngine::Request& request_;
};

// The libraries' code for a job that could not be handed to them (their
// DLL missing, say): "bad parameters" for both.
constexpr long kUnzipBadParameters = 10;
constexpr long kZipBadParameters = 16;

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
            return kUnzipBadParameters;
        }
    };
    engine.writeComment = [](const std::wstring& archive, const CommentEngine::Request& request) -> long {
        CommentWriter writer(request);
        cZip zip;
        zip.SetListener(&writer);
        try {
            zip.ZipFile(archive);
            zip.AddComment(true);
            return zip.Zip();
        } catch (const AutomationError&) {
            return kZipBadParameters;
        }
    };
    return engine;
}

}  // namespace bralto
