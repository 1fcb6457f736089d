// The file-layer tests' environment: the application record the engine loads, a
// temporary working directory per test, engine start and stop, and file and log helpers.
#include "fs_test_env.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/console.h"
#include "core/ov_state.h"
#include "core/services.h"
#include "pakwrite.h"
#include "platform/device.h"

namespace fs = std::filesystem;

// The application record: a program with no hooks, in developer mode so that the
// engine's developer popups are printed.
extern "C" ov_prog_t *OV_GetInterface(void)
{
    static ov_prog_t prog;
    memset(&prog, 0, sizeof prog);
    prog.interface_version = OV_INTERFACE_VERSION;
    strcpy(prog.title, "FsTest");
    strcpy(prog.id, "fs-test");
    strcpy(prog.version, "1.0.0");
    strcpy(prog.developer_name, "Orvex Tests");
    prog.parms.windowed = 1;
    prog.parms.developer_mode = 1;
    prog.parms.reference_counting = 1;
    return &prog;
}

namespace fstest {

namespace {

void (*s_extra_settings)(void) = nullptr;

// Runs at the end of reading the program settings: log console on at the most verbose
// level, no log file, developer mode on.
void SettingsForTests()
{
    ov_state.console = 1;
    ov_state.logging = 0;
    ov_state.verbose_level = 0;
    ov_state.developer_mode = 1;
    if (ov_prog)
        ov_prog->parms.developer_mode = 1;
    if (s_extra_settings)
        s_extra_settings();
}

}  // namespace

void SetExtraSettings(void (*extra)(void))
{
    s_extra_settings = extra;
}

void FsTest::SetUp()
{
    EnterNewWorkDir();
    StartEngine();
}

void FsTest::TearDown()
{
    StopEngine();
    LeaveWorkDir();
}

void FsTest::Restart()
{
    StopEngine();
    LeaveWorkDir();
    EnterNewWorkDir();
    StartEngine();
}

void FsTest::StartEngine()
{
    ASSERT_FALSE(engine_up_);
    ovdev::UseHeadlessBackend();
    OVI_SetProgramSettingsHook(SettingsForTests);
    OVI_ResetPopups();
    ASSERT_TRUE(OVI_PreInit(nullptr));
    engine_up_ = true;
}

void FsTest::StopEngine()
{
    if (!engine_up_)
        return;
    ORVEX_Shutdown();
    OVI_SetProgramSettingsHook(nullptr);
    SetExtraSettings(nullptr);
    engine_up_ = false;
}

void FsTest::EnterNewWorkDir()
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    old_dir_ = cwd;
    std::string base = (fs::temp_directory_path() / "orvex-fs-XXXXXX").string();
    std::vector<char> name(base.begin(), base.end());
    name.push_back(0);
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    work_dir_ = name.data();
    ASSERT_EQ(chdir(work_dir_.c_str()), 0);
    fs::create_directories("app/native");
}

void FsTest::LeaveWorkDir()
{
    if (work_dir_.empty())
        return;
    EXPECT_EQ(chdir(old_dir_.c_str()), 0);
    std::error_code ec;
    fs::remove_all(work_dir_, ec);
    work_dir_.clear();
}

std::string ResDir()
{
    return OVI_GetPathBase(OV_PATH_RES);
}

std::string UserDir()
{
    return OVI_GetPathBase(OV_PATH_USER);
}

void WriteNative(const std::string &path, const std::string &bytes)
{
    fs::path p(path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), (std::streamsize)bytes.size());
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadNative(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool NativeExists(const std::string &path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string ReadRest(ov_file_t *file)
{
    std::string out;
    char chunk[777];  // an odd size, so that reads end inside entries
    for (;;) {
        unsigned got = OV_fread(chunk, 1, sizeof chunk, file);
        out.append(chunk, got);
        if (got < sizeof chunk)
            break;
    }
    return out;
}

bool ReadEngineFile(const char *name, std::string *bytes)
{
    ov_file_t *f = OV_OpenFile(name, "rb");
    if (!f)
        return false;
    *bytes = ReadRest(f);
    OV_CloseFile(f);
    return true;
}

void WritePak(const std::string &native_path, const std::vector<PakEntry> &entries)
{
    fs::path p(native_path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    ovpak::Writer writer;
    std::string error;
    ASSERT_TRUE(writer.Open(native_path, &error)) << error;
    for (const PakEntry &e : entries)
        ASSERT_TRUE(writer.AddBytes(e.name, e.data.data(), e.data.size(), &error)) << error;
    ASSERT_TRUE(writer.Finish(&error)) << error;
}

size_t LogMark()
{
    return ov_con.lines.size();
}

int CountLoggedSince(size_t mark, const std::string &text)
{
    int n = 0;
    for (size_t i = mark; i < ov_con.lines.size(); i++)
        if (ov_con.lines[i].text && strstr(ov_con.lines[i].text, text.c_str()))
            n++;
    return n;
}

bool LoggedSince(size_t mark, const std::string &text)
{
    return CountLoggedSince(mark, text) > 0;
}

std::string LogSince(size_t mark)
{
    std::string out;
    for (size_t i = mark; i < ov_con.lines.size(); i++)
        out += std::string("  | ") + (ov_con.lines[i].text ? ov_con.lines[i].text : "") + "\n";
    return out;
}

std::vector<std::string> SearchPaths()
{
    std::vector<std::string> out;
    for (int i = 0; i < OV_GetNumberOfSearchPaths(); i++)
        out.push_back(OV_GetSearchPath(i));
    return out;
}

std::string RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string out(n, '\0');
    for (char &c : out)
        c = (char)(gen() & 0xFF);
    return out;
}

}  // namespace fstest
