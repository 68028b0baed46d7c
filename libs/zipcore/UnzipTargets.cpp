// The target and overwrite rules of extraction: where a member goes, the
// folders it needs, and whether an existing file may be replaced.
#include <algorithm>

#include "PathSafety.h"
#include "UnzipJobParts.h"
#include "ZipFormat.h"

namespace zipcore::unzip_job {

// The path the member is written to (relative to the extraction folder,
// and in full), or false (with a message) when its stored path would
// leave the extraction folder.
bool Job::ChooseTarget(const Member& member, std::string& relative, std::string& finalPath) {
    SafePath safe = MakeSafeRelativePath(member.utf8Name);
    if (safe.verdict == PathVerdict::Empty) return false;
    if (safe.verdict != PathVerdict::Ok || safe.components.back().empty()) {
        Refuse(member, PathVerdictText(safe.verdict));
        return false;
    }
    if (!options_.keepFolders) safe.components.erase(safe.components.begin(), safe.components.end() - 1);
    if (!WithinLimits(member, safe.components)) return false;
    relative.clear();
    for (size_t i = 0; i < safe.components.size(); ++i) relative += (i ? "/" : "") + safe.components[i];
    if (options_.spaceToUnderscore) std::replace(relative.begin(), relative.end(), ' ', '_');
    finalPath = folder_ + relative;
    return true;
}

// Refuses a member whose path the file system would not take, before any
// of its folders is made: a name too long, a path too long, or folders
// nested so deep that making them one by one would take hours.
bool Job::WithinLimits(const Member& member, const std::vector<std::string>& components) {
    const PathLimits limits = host_.Limits();
    if (components.size() > limits.maxDepth) {
        Refuse(member, "folders nested more than " + std::to_string(limits.maxDepth) + " levels deep");
        return false;
    }
    std::string path = folder_;
    for (const std::string& component : components) {
        if (host_.PathUnits(component) > limits.maxName) {
            Refuse(member, "a name in the path is longer than the file system allows");
            return false;
        }
        path += component + "/";
    }
    if (!components.empty()) path.pop_back();
    if (host_.PathUnits(path) > limits.maxPath) {
        Refuse(member, "path longer than the file system allows");
        return false;
    }
    return true;
}

// Each folder is asked for once per job: the answer is remembered.
bool Job::MakeParentFolders(const std::string& relative) {
    size_t slash = relative.find('/');
    while (slash != std::string::npos) {
        std::string path = folder_ + relative.substr(0, slash);
        std::string key = host_.FolderKey(path);
        if (folders_.find(key) == folders_.end()) {
            AwaitPath(path);
            FolderState state = host_.MakeDirectory(path);
            if (state == FolderState::Failed) {
                SayAlways("error:  cannot create folder " + host_.ToInterface(path) + "\n");
                ++counts_.errors;
                return false;
            }
            folders_.emplace(std::move(key), state == FolderState::Created);
        }
        slash = relative.find('/', slash + 1);
    }
    return true;
}

// Creates the extraction folder and its missing parents, as unzip does.
bool Job::EnsureFolder(const std::string& path, int depth) {
    if (path.empty() || path.back() == ':' || depth > 256) return true;  // root or drive
    FileFacts facts = host_.Stat(path);
    if (facts.exists) return facts.isDirectory;
    size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos && separator > 0) EnsureFolder(path.substr(0, separator), depth + 1);
    FolderState state = host_.MakeDirectory(path);
    if (depth == 0) extractionFolderMade_ = state == FolderState::Created;
    return state != FolderState::Failed;
}

// Whether the folder that receives `relative` was created by this job.
bool Job::InFolderMadeByJob(const std::string& relative) const {
    size_t slash = relative.find_last_of('/');
    if (slash == std::string::npos) return extractionFolderMade_;
    auto found = folders_.find(host_.FolderKey(folder_ + relative.substr(0, slash)));
    return found != folders_.end() && found->second;
}

// Applies freshen, update and overwrite rules to an existing file;
// `exists` tells whether there was one.
bool Job::MayWrite(const Member& member, const std::string& finalPath, bool& exists) {
    FileFacts facts = host_.Stat(finalPath);
    exists = facts.exists;
    if (!facts.exists) return !options_.freshen;
    if (facts.isDirectory) {
        SayAlways("error:  cannot create " + host_.ToInterface(finalPath) + ": a folder of that name exists\n");
        ++counts_.errors;
        return false;
    }
    if (options_.freshen || options_.extractOnlyNewer) {
        // DOS times have a 2-second step: a file within it is not older.
        int64_t slack = member.info->hasUnixTime ? 0 : 1;
        if (MemberTime(*member.info) <= facts.unixModTime + slack) return false;
    }
    if (options_.overwrite || overwriteAll_) return true;
    if (overwriteNone_ || !options_.promptToOverwrite) return false;
    InArchiveOrder();
    switch (host_.Replace(host_.ToInterface(finalPath))) {
    case kReplaceYes: return true;
    case kReplaceAll: overwriteAll_ = true; return true;
    case kReplaceNone: overwriteNone_ = true; return false;
    case kReplaceNo:
    default: return false;
    }
}

}  // namespace zipcore::unzip_job
