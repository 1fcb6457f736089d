// Shared set-up of the whole-engine tests (see engine_harness.h).
#include "tests/support/engine_harness.h"

#include "core/console.h"
#include "gfx/window.h"
#include "platform/device.h"

#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace harness {

AppLog app;
Switches switches;
int init_result = 1;
int close_answer = 0;
bool offer_no_record = false;
ov_prog_t record;

uint32_t FakeClock::now = 0;
uint32_t FakeClock::step_per_read = 0;
std::vector<unsigned> FakeClock::sleeps_s;
std::vector<unsigned> FakeClock::sleeps_us;
std::vector<uint32_t> FakeClock::sleeps_until;
void (*FakeClock::on_sleep_until)(uint32_t) = nullptr;

namespace {

uint32_t FakeNow()
{
    uint32_t t = FakeClock::now;
    FakeClock::now += FakeClock::step_per_read;
    return t;
}
void FakeSleepS(unsigned s)
{
    FakeClock::sleeps_s.push_back(s);
    FakeClock::now += s * 1000;
}
void FakeSleepUs(unsigned us)
{
    FakeClock::sleeps_us.push_back(us);
    FakeClock::now += us / 1000;
}
void FakeSleepUntil(uint32_t deadline)
{
    FakeClock::sleeps_until.push_back(deadline);
    if ((int32_t)(deadline - FakeClock::now) > 0)
        FakeClock::now = deadline;
    if (FakeClock::on_sleep_until)
        FakeClock::on_sleep_until(deadline);
}
const ov_time_source_t kFake = {FakeNow, FakeSleepS, FakeSleepUs, FakeSleepUntil};

int AppInit()
{
    app.init_calls++;
    return init_result;
}
void AppShutdown()
{
    app.shutdown_calls++;
}
void AppUpdate(float s)
{
    app.updates.push_back(s);
}
void AppDraw(float s)
{
    app.draws.push_back(s);
    app.draw_eye_modes.push_back(ov_state.eye_mode);
}
int AppEvent(ov_event_t ev)
{
    app.events.push_back(ev);
    bool keyish = ev.type == OV_EVENT_KEY_DOWN || ev.type == OV_EVENT_KEY_UP;
    app.key_state_at_event.push_back(keyish && ev.key >= 0 && ev.key < OV_KEY_STATES ? ov_state.key_i[ev.key] : -1);
    return ev.type == OV_EVENT_WINDOW_CLOSED ? close_answer : 0;
}

void ApplySwitches()
{
    ov_state.developer_mode = switches.developer_mode;
    ov_state.console = switches.console;
    ov_state.logging = switches.logging;
    ov_state.verbose_level = switches.verbose_level;
}

}  // namespace

void FakeClock::Install(uint32_t step)
{
    now = 100000;
    step_per_read = step;
    sleeps_s.clear();
    sleeps_us.clear();
    sleeps_until.clear();
    on_sleep_until = nullptr;
    OVT_SetTimeSource(&kFake);
}

void FakeClock::Uninstall()
{
    OVT_SetTimeSource(nullptr);
}

void EngineTest::SetUp()
{
    char tmpl[] = "/tmp/orvex-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    ASSERT_EQ(chdir(dir.c_str()), 0);
    mkdir("app", 0755);
    mkdir("app/native", 0755);

    ovdev::UseHeadlessBackend();  // also forgets the contexts and windows of the last test
    ov_qnx_screen_context = nullptr;
    OV_QNX_WindowDestroyed();
    ov_qnx_screen_width = 1024;
    ov_qnx_screen_height = 600;

    app = AppLog();
    switches = Switches();
    init_result = 1;
    close_answer = 0;
    offer_no_record = false;
    memset(&record, 0, sizeof record);
    record.interface_version = OV_INTERFACE_VERSION;
    strcpy(record.title, "Test Game");
    strcpy(record.id, "test.game");
    strcpy(record.version, "1.0.0");
    record.parms.width = 1024;
    record.parms.height = 600;
    record.parms.reference_counting = 1;
    // Engine tests run on the null sound implementation (no audio thread); the audio
    // tests clear this to bring the platform one up.
    record.parms.no_sound = 1;
    record.Init = AppInit;
    record.Shutdown = AppShutdown;
    record.Update = AppUpdate;
    record.Draw = AppDraw;
    record.EventProc = AppEvent;
    OVI_SetProgramSettingsHook(ApplySwitches);
    OVI_ResetPopups();
}

void EngineTest::TearDown()
{
    if (ov && ov_state.core_mutex[OV_MUTEX_PRINT])  // not shut down by the test itself
        ORVEX_Shutdown();
    ov = nullptr;
    FakeClock::Uninstall();
    OVI_SetProgramSettingsHook(nullptr);
    if (chdir("/tmp") == 0) {
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << dir;
    }
}

void EngineTest::StartEngine()
{
    // As main does: the screen context and the window exist before the engine starts.
    if (!ov_qnx_screen_context) {
        ASSERT_EQ(ovdev::screen_create_context(&ov_qnx_screen_context, ovdev::SCREEN_APPLICATION_CONTEXT), 0);
    }
    ASSERT_EQ(OV_QNX_InitWindowAndContexts(), 1);
    ASSERT_TRUE(OVI_PreInit(nullptr));
    ASSERT_TRUE(OVI_Init());
}

std::vector<std::string> LogTexts()
{
    std::vector<std::string> out;
    for (const ovConsole::line_t &l : ov_con.lines)
        out.push_back(l.text ? l.text : "");
    return out;
}

bool Logged(const std::string &fragment)
{
    return CountLogged(fragment) > 0;
}

int CountLogged(const std::string &fragment)
{
    int n = 0;
    for (const std::string &t : LogTexts())
        if (t.find(fragment) != std::string::npos)
            n++;
    return n;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

}  // namespace harness

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return harness::offer_no_record ? nullptr : &harness::record;
}
