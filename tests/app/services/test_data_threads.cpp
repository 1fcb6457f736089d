// Threads: a worker loads databases through the registry, localises, and opens, runs and
// closes Lua states whose scripts do the same, while the main thread does it all too
// (run under ThreadSanitizer by the test command).
#include "app/services/dataman.h"
#include "app/services/localization.h"
#include "app/services/luaman.h"
#include "tests/app/services/data_fixture.h"

#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>

using datatest::DataTest;

namespace {

class DataThreadsTest : public DataTest {
protected:
    void TearDown() override
    {
        loc_man().Shutdown();
        datatest::Record().parms.locale = nullptr;
        DataTest::TearDown();
    }
};

// Loads, reads and localises; the shared files and keys are asked for by both threads.
void Work(int who, std::atomic<int> *failures)
{
    for (int i = 0; i < 40; i++) {
        std::string shared = "res://shared" + std::to_string(i % 5) + ".xml";
        std::string own = "res://own" + std::to_string(who) + "-" + std::to_string(i % 3) + ".csv";
        const char *v = dman().GetValue(shared.c_str(), "A", "n", "v");
        if (!v || std::string(v) != std::to_string(i % 5))
            (*failures)++;
        if (dman().GetArraySize(own.c_str(), nullptr) != 1)
            (*failures)++;
        const char *t = loc_man().Localize("Play");
        if (!t || std::string(t) != "Spielen")
            (*failures)++;
        std::string fresh = "Key " + std::to_string(i % 7);
        if (std::string(loc_man().Localize(fresh.c_str())) != fresh)
            (*failures)++;
        if (std::string(loc_man().LocalizeNumber(1000 * who + i)).find('.') == std::string::npos && who > 0)
            (*failures)++;
        loc_man().LocalizeTime((uint32_t)i * 61000u);
        loc_man().LocalizeComment("threads");
        // A state of its own, whose script reads the registry and localises.
        lua_State *L = lua_man.OpenLuaState(0);
        if (!L) {
            (*failures)++;
        } else {
            std::string script = "function f() return DM_GetValue('" + shared + "', 'A', 'n', 'v') .. Localize('Play')"
                                 " .. #LocalizeNumber(1000) end";
            if (!lua_man.ExecLuaString(L, script.c_str()) || !LuaManager::DoesLuaFunctionExist(L, "f"))
                (*failures)++;
            lua_getglobal(L, "f");
            bool ran = lua_pcall(L, 0, 1, 0) == 0;
            const char *text = ran ? lua_tostring(L, -1) : nullptr;
            if (!text || std::string(text) != std::to_string(i % 5) + "Spielen5")
                (*failures)++;
            lua_man.CloseLuaState(L);
        }
        if (i % 10 == 0)
            dman().ReleaseDatabase(own.c_str());
    }
}

TEST_F(DataThreadsTest, WorkerAndMainLoadAndLocaliseTogether)
{
    for (int i = 0; i < 5; i++)
        ASSERT_TRUE(WriteNative(ResPath("shared" + std::to_string(i) + ".xml"),
                                "<?xml?>\n<root>\n<array id=\"A\"><node id=\"n\" v=\"" + std::to_string(i) +
                                    "\"/></array>\n</root>\n"));
    for (int who = 1; who <= 2; who++)
        for (int i = 0; i < 3; i++)
            ASSERT_TRUE(WriteNative(ResPath("own" + std::to_string(who) + "-" + std::to_string(i) + ".csv"),
                                    "a;b\n1;22\n"));
    mkdir(ResPath("data-xx").c_str(), 0755);
    ASSERT_TRUE(WriteNative(ResPath("data-xx/language.xml"),
                            "<?xml?>\n<root>\n<node id=\"Play\" to=\"Spielen\"/>\n"
                            "<node id=\"THOUSANDS_SEPARATOR\" to=\".\"/>\n</root>\n"));
    datatest::Record().parms.locale = "xx";
    ASSERT_TRUE(loc_man().Initialize());

    int open_before = lua_man.GetNumberOfOpenStates();
    std::atomic<int> failures{0};
    std::thread worker(Work, 1, &failures);
    Work(2, &failures);
    worker.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(lua_man.GetNumberOfOpenStates(), open_before);
    // Each file was registered once: five shared, three of each thread's own.
    EXPECT_EQ(dman().GetNumberOfDatabases(), 11);
    EXPECT_EQ(dman().GetDatabase("res://shared0.xml"), dman().GetDatabase("res://shared0.xml"));
}

}  // namespace
