// The data-service test fixture (see data_fixture.h).
#include "tests/app/services/data_fixture.h"

#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "core/console.h"
#include "core/ov_state.h"
#include "platform/device.h"

#include <dirent.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <sstream>

namespace datatest {

namespace {

orvex_t s_saved_table;
std::mutex s_mutex;
std::vector<Message> s_messages;

const char kProg[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n"
    "\t<array id=\"PARAMETERS\">\n\t\t<node id=\"APPLICATION\" program_id=\"datatest\" />\n\t</array>\n"
    "\t<array id=\"VARIANTS\">\n\t\t<node id=\"QNX\" />\n\t\t<node id=\"UNKNOWN\" />\n\t</array>\n</root>\n";

void Capture(const char *kind, int level, const char *fmt, va_list ap)
{
    char text[8192];
    vsnprintf(text, sizeof text, fmt ? fmt : "", ap);
    std::lock_guard<std::mutex> lock(s_mutex);
    s_messages.push_back(Message{kind, level, text});
}

int CapturePrintf(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    Capture("print", 0, fmt, ap);
    va_end(ap);
    return 0;
}

int CaptureDebugf(int level, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    Capture("debug", level, fmt, ap);
    va_end(ap);
    return 0;
}

int CapturePopupf(int level, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    Capture("popup", level, fmt, ap);
    va_end(ap);
    return 0;
}

void ListInto(const std::string &root, const std::string &sub, std::vector<std::string> &out)
{
    DIR *d = opendir((root + "/" + sub).c_str());
    if (!d)
        return;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string rel = sub.empty() ? name : sub + "/" + name;
        out.push_back(rel);
        struct stat st;
        if (stat((root + "/" + rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            ListInto(root, rel, out);
    }
    closedir(d);
}

}  // namespace

std::vector<Message> Messages()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_messages;
}

int CountMessages(const std::string &text)
{
    int n = 0;
    for (const Message &m : Messages())
        n += m.text == text;
    return n;
}

int CountContaining(const std::string &fragment)
{
    int n = 0;
    for (const Message &m : Messages())
        n += m.text.find(fragment) != std::string::npos;
    return n;
}

std::string Dump()
{
    std::string out;
    for (const Message &m : Messages())
        out += "[" + m.kind + " " + std::to_string(m.level) + "] " + m.text + "|\n";
    return out;
}

void ClearMessages()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_messages.clear();
}

ov_prog_t &Record()
{
    return prog;
}

void DataTest::SetUp()
{
    char tmpl[] = "/tmp/orvex-data-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    ASSERT_EQ(chdir(dir.c_str()), 0);
    ASSERT_EQ(mkdir("app", 0755), 0);
    ASSERT_EQ(mkdir("app/native", 0755), 0);
    ASSERT_TRUE(WriteNative("app/native/prog.xml", kProg));
    ovdev::UseHeadlessBackend();
    memset(&prog, 0, sizeof prog);
    prog.interface_version = OV_INTERFACE_VERSION;
    strcpy(prog.title, "Data Test");
    strcpy(prog.developer_name, "Tests");
    prog.parms.width = 1024;
    prog.parms.height = 600;
    prog.parms.reference_counting = 1;
    prog.parms.no_sound = 1;
    ASSERT_TRUE(OVI_PreInit(nullptr));
    prog.parms.developer_mode = 1;
    ov_state.console = 0;
    s_saved_table = *ov;
    ov->OV_Printf = CapturePrintf;
    ov->OV_PrintDebugf = CaptureDebugf;
    ov->OV_Popupf = CapturePopupf;
    ClearMessages();
}

void DataTest::TearDown()
{
    dman().ReleaseAllDatabases();
    if (ov) {
        *ov = s_saved_table;
        ORVEX_Shutdown();
    }
    ov = nullptr;
    if (chdir("/tmp") == 0) {
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0)
            ADD_FAILURE() << "could not remove " << dir;
    }
}

std::string DataTest::ResPath(const std::string &name) const
{
    return dir + "/app/native/" + name;
}

std::string DataTest::UserPath(const std::string &name) const
{
    std::string base = OVI_GetPathBase(OV_PATH_USER);
    return (base[0] == '/' ? base : dir + "/" + base) + "/" + name;
}

bool DataTest::WriteNative(const std::string &path, const std::string &text)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

std::string DataTest::ReadNative(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool DataTest::ExistsNative(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

unsigned long DataTest::InodeOf(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (unsigned long)st.st_ino : 0;
}

bool DataTest::WaitForReplacement(const std::string &path, unsigned long before, pid_t writer)
{
    int status = 0;
    for (int waited_ms = 0; waited_ms < 60000; waited_ms += 2) {
        if (InodeOf(path) != before)
            return true;
        if (waitpid(writer, &status, WNOHANG) != 0)
            return false;
        usleep(2000);
    }
    return false;
}

std::vector<std::string> DataTest::ListTree(const std::string &root)
{
    std::vector<std::string> out;
    ListInto(root, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace datatest

extern "C" ov_prog_t *OV_GetInterface(void)
{
    return &datatest::Record();
}
