// The engine as a build tool runs it: headless, the null renderer, in a fresh scratch
// directory whose app/native is res:// (removed when the tool is done), with the
// engine's console echo kept off the tool's standard error while it runs.
//
// Each tool names itself once (ToolEngineSetName) before starting; the program record
// the engine asks for (OV_GetInterface) is defined here, once for every tool.
#ifndef BUILDTOOLS_COMMON_TOOL_ENGINE_H
#define BUILDTOOLS_COMMON_TOOL_ENGINE_H

#include <stdio.h>

#include <string>

namespace toolengine {

// The tool's name ("orvex-assetpack"): the record's title, and "orvex.<name after
// 'orvex-'>" its id. no_sound starts the engine without sound.
void SetName(const char *name, bool no_sound);

// The tool's own standard error (valid also while the engine's echo is silenced).
FILE *Err();

class Session {
public:
    ~Session();
    // Makes the scratch directory (or, given a run directory, runs in that one, whose
    // app/native is then res://, and leaves it in place), silences the echo, and starts
    // the engine with the settings hook (called when prog.xml would be read); false,
    // with a message on the tool's standard error, when any step fails.
    bool Start(void (*settings)(void), const char *run_dir = nullptr);
    // Native path of a res:// name in the scratch directory.
    std::string Native(const std::string &res_name) const;
    // Makes the native file or directory target visible as the res:// name.
    bool Link(const std::string &target, const std::string &res_name);
    // The directory the tool was started in.
    const std::string &StartDir() const { return start_dir_; }

private:
    bool StartEngine(void (*settings)(void));

    std::string work_, start_dir_;
    bool running_ = false;
};

}  // namespace toolengine

#endif
