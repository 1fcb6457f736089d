// The fuzz programs' shared environment (see fuzz_env.h): the application record the
// engine asks for, a scratch directory as res://, one pre-initialisation per process.
#include "fuzz/fuzz_env.h"

#include "core/console.h"
#include "core/ov_state.h"
#include "gfx/window.h"
#include "platform/device.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace {

ov_prog_t s_record;
bool s_started = false;
std::string s_res;
std::string s_scratch;

// A settings file that names the program and a variant for every platform, so the
// pre-initialisation of the fuzz process itself never ends on a missing variant.
const char kProg[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
    "\t<array id=\"PARAMETERS\">\n\t\t<node id=\"APPLICATION\" program_id=\"fuzz\" />\n\t</array>\n"
    "\t<array id=\"VARIANTS\">\n\t\t<node id=\"QNX\" />\n\t\t<node id=\"UNKNOWN\" />\n\t</array>\n</root>\n";

void QuietConsole()
{
    ov_state.console = 0;
    ov_state.logging = 0;
    ov_state.verbose_level = 0;
    ov_con.Free();              // keeps no line
    ov_con.initialised = true;  // and prints nothing to standard error
}

}  // namespace

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &s_record;
}

namespace fuzzenv {

void Start()
{
    if (s_started)
        return;
    s_started = true;
    char tmpl[] = "/tmp/orvex-fuzz-XXXXXX";
    if (!mkdtemp(tmpl) || chdir(tmpl) != 0 || mkdir("app", 0755) != 0 || mkdir("app/native", 0755) != 0) {
        fprintf(stderr, "fuzz: cannot make a scratch directory\n");
        exit(1);
    }
    s_scratch = tmpl;
    s_res = s_scratch + "/app/native/";
    if (!WriteResFile("prog.xml", (const uint8_t *)kProg, sizeof kProg - 1)) {
        fprintf(stderr, "fuzz: cannot write prog.xml\n");
        exit(1);
    }
    ovdev::UseHeadlessBackend();
    memset(&s_record, 0, sizeof s_record);
    s_record.interface_version = OV_INTERFACE_VERSION;
    s_record.parms.width = 1024;
    s_record.parms.height = 600;
    s_record.parms.reference_counting = 1;
    if (!OVI_PreInit(nullptr)) {
        fprintf(stderr, "fuzz: the engine did not pre-initialise\n");
        exit(1);
    }
    s_record.parms.developer_mode = 1;
    QuietConsole();
    // The engine is shut down as the program would be, so that the leak check at exit
    // sees only what the loaders lost; the scratch directory goes with it. A run that
    // crashes leaves it behind, beside the input that crashed it.
    atexit([] {
        if (ov)
            ORVEX_Shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(s_scratch, ignored);
    });
}

void BeginInput()
{
    OVI_ResetPopups();
    QuietConsole();
    if (ov_prog)
        ov_prog->parms.developer_mode = 1;
}

bool WriteResFile(const std::string &name, const uint8_t *data, size_t size)
{
    FILE *f = fopen((s_res + name).c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

std::string ResPath(const std::string &name)
{
    return s_res + name;
}

void RemoveResFile(const std::string &name)
{
    unlink((s_res + name).c_str());
}

std::string ReadText(const std::string &path)
{
    std::string text;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    fclose(f);
    return text;
}

}  // namespace fuzzenv
