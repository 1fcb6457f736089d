// The engine as orvex-assetpack runs it: headless, the null renderer, atlas packing on,
// in a fresh work directory (removed afterwards) whose app/native is res://. Files the
// engine should read are linked into it. The engine's console lines are kept from the
// tool's output and printed only when a step failed or warned.
#ifndef BUILDTOOLS_ASSETPACK_SESSION_H
#define BUILDTOOLS_ASSETPACK_SESSION_H

#include <stdio.h>

#include <string>

#include "buildtools/common/tool-engine.h"

namespace assetpack {

// The absolute form of a path given relative to the tool's starting directory.
std::string Absolute(const std::string &path);
// Copies a file through a temporary sibling; false when it could not.
bool CopyFile(const std::string &from, const std::string &to);
bool ReadFile(const std::string &path, std::string *bytes);
// Makes the directories of a path (every one up to the last '/').
bool MakeParentDirs(const std::string &path);
// The tool's standard error (the engine's own echo is silenced while it runs).
FILE *Err();

class EngineSession {
public:
    // Starts the engine; false (with a message) when it does not.
    bool Start();
    // res:// name under which the engine sees the native file or directory target.
    bool Link(const std::string &target, const std::string &res_name);
    // Native path of a res:// name in the work directory.
    std::string Native(const std::string &res_name) const;
    // Number of warnings and errors the engine logged since mark; prints them all
    // (every line since mark) on the tool's standard error when there are any.
    size_t Mark() const;
    int Warnings(size_t mark) const;

private:
    toolengine::Session engine_;
};

}  // namespace assetpack

#endif
