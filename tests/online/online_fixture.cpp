// The online services' test set-up (see online_fixture.h).
#include "tests/online/online_fixture.h"

#include "app/services/dataman.h"
#include "app/services/featureman.h"
#include "app/services/prog.h"
#include "app/services/profiles.h"
#include "app/ui/widgets/ui-button.h"
#include "app/ui/widgets/ui-textbox.h"
#include "gfx/bitmap.h"
#include "online/achievementman.h"
#include "online/news-manager.h"

#include "ovrecords.h"
#include "tests/gfx/test_font_util.h"

#include <stdlib.h>
#include <string.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>

namespace onlinetest {

FakePlatform platform;

namespace {

std::mutex http_mutex;
std::condition_variable http_released;
bool http_held = false;
std::vector<std::string> addresses;
std::string reply_file;
const char *(*engine_extension)(const char *, const char *) = nullptr;

const char *FakeExtension(const char *cmd, const char *arg)
{
    std::string c = cmd ? cmd : "", a = arg ? arg : "";
    if (c == "ProgramInfo" && a == "Features")
        return platform.features.c_str();
    if (c == "PlatformInfo" && a == "PlatformId")
        return platform.platform_id.c_str();
    if (c == "PlatformInfo" && a == "ScreenSizeId")
        return platform.screen_size.empty() ? nullptr : platform.screen_size.c_str();
    if (c == "GameCenter") {
        if (a == "IsAvailable")
            return platform.game_center ? "1" : nullptr;
        platform.commands.push_back("GameCenter " + a);
        return nullptr;
    }
    if (c == "OpenURL") {
        platform.commands.push_back("OpenURL " + a);
        return "OK";
    }
    return engine_extension ? engine_extension(cmd, arg) : nullptr;
}

int FakeHttp(int method, const char *url, const char *, const char *, int, ov_buffer_t *reply, int *)
{
    std::string path;
    {
        std::unique_lock<std::mutex> lock(http_mutex);
        addresses.push_back(url ? url : "");
        http_released.wait(lock, [] { return !http_held; });
        path = reply_file;
    }
    if (method != 2 || !url || strncmp(url, NEWS_ENDPOINT, strlen(NEWS_ENDPOINT)) != 0)
        return 404;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return 0;
    std::stringstream all;
    all << in.rdbuf();
    std::string bytes = all.str();
    if (!bytes.empty()) {
        reply->data = (uint8_t *)malloc(bytes.size());
        memcpy(reply->data, bytes.data(), bytes.size());
        reply->used = reply->size = (int)bytes.size();
    }
    return 200;
}

}  // namespace

std::vector<std::string> Addresses()
{
    std::lock_guard<std::mutex> lock(http_mutex);
    return addresses;
}

void SetReplyFile(const std::string &path)
{
    std::lock_guard<std::mutex> lock(http_mutex);
    reply_file = path;
}

void HoldHttp(bool hold)
{
    {
        std::lock_guard<std::mutex> lock(http_mutex);
        http_held = hold;
    }
    http_released.notify_all();
}

void WriteReply(const std::string &bytes)
{
    std::string path;
    {
        std::lock_guard<std::mutex> lock(http_mutex);
        path = reply_file;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool WriteTga(const std::string &engine_name, int w, int h, uint32_t rgba)
{
    std::string bytes(18, '\0');
    bytes[2] = 2;  // uncompressed true colour
    bytes[12] = (char)(w & 255);
    bytes[13] = (char)(w >> 8);
    bytes[14] = (char)(h & 255);
    bytes[15] = (char)(h >> 8);
    bytes[16] = 32;
    bytes[17] = 0x28;  // top-left origin, 8 alpha bits
    unsigned char r = rgba & 255, g = (rgba >> 8) & 255, b = (rgba >> 16) & 255, a = rgba >> 24;
    for (int i = 0; i < w * h; i++) {
        bytes += (char)b;
        bytes += (char)g;
        bytes += (char)r;
        bytes += (char)a;
    }
    std::string dir = engine_name.substr(0, engine_name.rfind('/'));
    ov->OV_CreateDirectory(dir.c_str());
    ov_file_t *f = ov->OV_OpenFile(engine_name.c_str(), "wb");
    if (!f)
        return false;
    bool ok = ov->OV_WriteFile(bytes.data(), (unsigned)bytes.size(), f) == bytes.size();
    return ov->OV_CloseFile(f) == 0 && ok;
}

bool SeedCachedImage(const std::string &url, int w, int h, uint32_t rgba)
{
    char cache[260];
    OVI_BitmapCachePath(url.c_str(), cache);
    return WriteTga(cache, w, h, rgba);
}

int RefCount(ov_bitmap_t *bitmap)
{
    return bitmap ? bitmap->refcount : 0;
}

std::string ReadEngineFile(const std::string &name)
{
    ov_file_t *f = ov->OV_OpenFile(name.c_str(), "rb");
    if (!f)
        return "";
    std::string text;
    char buf[4096];
    unsigned n;
    while ((n = ov->OV_ReadFile(buf, sizeof buf, f)) > 0)
        text.append(buf, n);
    ov->OV_CloseFile(f);
    return text;
}

bool EngineFileExists(const std::string &name)
{
    ov_file_t *f = ov->OV_OpenFile(name.c_str(), "rb");
    if (f)
        ov->OV_CloseFile(f);
    return f != nullptr;
}

void OnlineTest::StartOnline(const std::string &features, int w, int h)
{
    platform = FakePlatform();
    platform.features = features;
    {
        std::lock_guard<std::mutex> lock(http_mutex);
        addresses.clear();
    }
    StartUI(w, h, w, h);
    // A font of white blocks for the button and the text box templates (the notices
    // take theirs from the text box template).
    fonttest::MakeDirs("app/native/fonts/");
    ov_font_t blocks;
    fonttest::InitFont(&blocks, "blocks");
    blocks.height = 10;
    blocks.line_height = 12;
    blocks.top_offset = 8;
    for (int c = 33; c < 127; c++)
        fonttest::SetGlyph(&blocks, c, 8, 6, 10);
    fonttest::SetGlyph(&blocks, ' ', 8);
    ASSERT_TRUE(ov->OV_SaveFont(&blocks, "res://fonts/blocks.mft"));
    fonttest::FreeFont(&blocks);
    ov_font_t *font = ov->OV_GetFont("fonts/blocks.mft");
    ASSERT_NE(font, nullptr);
    if (UIComp *button = sman.GetCompTemplate("DefaultButton"))
        static_cast<UICompButton *>(button)->SetFont(font);
    if (UIComp *textbox = sman.GetCompTemplate("DefaultTextbox"))
        static_cast<UICompTextbox *>(textbox)->SetFont(font);
    engine_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = FakeExtension;
    ov->OV_SendHttpRequest = FakeHttp;
    feature_man.Initialize();
    reply_path_ = dir_ + "/reply.txt";
    SetReplyFile(reply_path_);
    WriteReply("");
    profile_man().CreateNewProfile();
}

void OnlineTest::PrepareNewsScreen()
{
    std::ifstream in(std::string(ORVEX_CONTENT_DIR) + "/ui/fw/talvik-news.lua");
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_FALSE(text.str().empty());
    apptest::WriteFile("ui/fw/talvik-news.lua", text.str());
    Screen *screen = GetNewsScreen();
    screen->preloaded.store(false);
    ASSERT_TRUE(Screen::PreLoadScreen(screen));
}

void OnlineTest::WaitForFetch()
{
    while (news_man.IsFetching())
        ov->OVT_Sleep(1);
    DrawFrame();
}

void OnlineTest::TearDown()
{
    HoldHttp(false);
    if (ov) {
        news_man.Shutdown();
        achievement_man.Shutdown();
        // The news screen lives for the process: its layout goes with this engine run.
        if (ui_started_) {
            Screen *screen = GetNewsScreen();
            if (sman.IsScreenInStack(screen))
                sman.PopScreen(screen, false);
            screen->FreeUI();
            screen->preloaded.store(false);
        }
        profile_man().Clear();
        dman().ReleaseAllDatabases();
    }
    UITest::TearDown();
    engine_extension = nullptr;
}

}  // namespace onlinetest
