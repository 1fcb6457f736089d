// A game implementation for tests: records every call, keeps a state text that it
// saves to and restores from its save files, and can be told that it does not support
// save files, cannot save now, or fails to save.
#ifndef TEST_APP_SERVICES_TEST_GAME_H
#define TEST_APP_SERVICES_TEST_GAME_H

#include "app/services/filehelpers.h"
#include "app/services/gameman.h"

#include <stdlib.h>

#include <string>
#include <vector>

namespace gametest {

class TestGame : public GameImplementation {
public:
    explicit TestGame(const char *name) : name(name) {}
    const char *GetName() override { return name.c_str(); }
    void Load() override { log.push_back("Load"); }
    void Unload() override { log.push_back("Unload"); }
    void InitLevel(const char *level) override { log.push_back(std::string("InitLevel ") + level); }
    bool CanSaveNow() override { return can_save_now; }
    bool SupportsSaveFiles() override { return supports_save_files; }
    bool SaveToFile(const char *path) override
    {
        log.push_back(std::string("SaveToFile ") + path);
        return save_succeeds && SaveFileReplacing(path, state.data(), state.size());
    }
    bool LoadFromFile(const char *path) override
    {
        log.push_back(std::string("LoadFromFile ") + path);
        long size = 0;
        char *data = ReadWholeFile(path, &size);
        if (!data)
            return false;
        state.assign(data, size);
        free(data);
        return true;
    }

    std::string name;
    std::string state;
    std::vector<std::string> log;
    bool can_save_now = true;
    bool supports_save_files = true;
    bool save_succeeds = true;
};

}  // namespace gametest

#endif
