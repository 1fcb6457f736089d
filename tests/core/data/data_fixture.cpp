// Shared set-up of the data, settings and platform-identity tests (see data_fixture.h).
#include "tests/core/data/data_fixture.h"

#include "core/console.h"
#include "gfx/window.h"
#include "platform/device.h"

#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace datatest {

ov_prog_t record;
bool offer_record = true;
const char *(*extension_stand_in)(const char *command, const char *argument) = nullptr;

namespace {

void ConsoleOn()
{
    ov_state.console = 1;
    ov_state.logging = 0;
    ov_state.verbose_level = 0;
}

void DeveloperConsoleOn()
{
    ConsoleOn();
    ov_state.developer_mode = 1;
}

}  // namespace

void ResetRecordAndDevice()
{
    ovdev::UseHeadlessBackend();
    OV_QNX_WindowDestroyed();
    ov_qnx_screen_width = 1024;
    ov_qnx_screen_height = 600;
    offer_record = true;
    extension_stand_in = nullptr;
    memset(&record, 0, sizeof record);
    record.interface_version = OV_INTERFACE_VERSION;
    record.parms.width = 1024;
    record.parms.height = 600;
    record.parms.app_flag = 1;
    record.parms.multitouch = 0;
    record.parms.reference_counting = 1;
    OVI_SetProgramSettingsHook(nullptr);
    OVI_ResetPopups();
    // Each run starts as a fresh process would: what is printed before the log
    // console exists goes to standard error.
    ov_con.initialised = false;
}

void UseConsoleHook()
{
    OVI_SetProgramSettingsHook(ConsoleOn);
}

bool PreInitCapturingStderr(std::string *err)
{
    ::testing::internal::CaptureStderr();
    bool ok = OVI_PreInit(nullptr);
    std::string text = ::testing::internal::GetCapturedStderr();
    if (err)
        *err = text;
    return ok;
}

void ScratchDir::SetUp()
{
    char tmpl[] = "/tmp/orvex-data-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    ASSERT_EQ(chdir(dir.c_str()), 0);
    ASSERT_EQ(mkdir("app", 0755), 0);
    ASSERT_EQ(mkdir("app/native", 0755), 0);
    ResetRecordAndDevice();
}

void ScratchDir::TearDown()
{
    if (ov)
        ORVEX_Shutdown();
    ov = nullptr;
    OVI_SetProgramSettingsHook(nullptr);
    if (chdir("/tmp") == 0) {
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << dir;
    }
}

void EngineUp::SetUp()
{
    ScratchDir::SetUp();
    // Developer mode comes from the settings: the engine writes it into the record as
    // it reads them.
    OVI_SetProgramSettingsHook(DeveloperConsoleOn);
    ASSERT_TRUE(PreInitCapturingStderr(nullptr));
    OVI_ResetPopups();
}

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary);
    ASSERT_TRUE(f.good()) << path;
    f << text;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

int CountLogged(const std::string &fragment)
{
    int n = 0;
    for (const ovConsole::line_t &l : ov_con.lines)
        if (l.text && std::string(l.text).find(fragment) != std::string::npos)
            n++;
    return n;
}

bool Logged(const std::string &fragment)
{
    return CountLogged(fragment) > 0;
}

}  // namespace datatest

extern "C" ov_prog_t *OV_GetInterface(void)
{
    if (datatest::extension_stand_in && ov)
        ov->OV_CallExtension = datatest::extension_stand_in;
    return datatest::offer_record ? &datatest::record : nullptr;
}
