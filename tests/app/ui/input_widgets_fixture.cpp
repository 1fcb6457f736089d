// The widget tests' set-up (see input_widgets_fixture.h).
#include "tests/app/ui/input_widgets_fixture.h"

#include "app/services/luaman.h"

#include <lua.hpp>
#include <png.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>

namespace wtest {

std::vector<std::string> extension_calls;

namespace {

const char *(*engine_extension)(const char *, const char *) = nullptr;

const char *RecordingExtension(const char *command, const char *arg)
{
    extension_calls.push_back(command ? command : "");
    return engine_extension ? engine_extension(command, arg) : nullptr;
}

}  // namespace

void WritePng(const std::string &name, int w, int h, const std::function<Rgba(int, int)> &pixel)
{
    apptest::WriteFile(name, "");   // makes the folders
    std::string path = "app/native/" + name;
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(w * 4);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            Rgba p = pixel(x, y);
            for (int c = 0; c < 4; c++)
                row[x * 4 + c] = (png_byte)p[c];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(f);
}

void WriteSolidPng(const std::string &name, int w, int h, Rgba rgba)
{
    WritePng(name, w, h, [rgba](int, int) { return rgba; });
}

bool CopyShippedFont(const std::string &name)
{
    std::ifstream in(std::string(ORVEX_APP_NATIVE_DIR) + "/" + name, std::ios::binary);
    if (!in)
        return false;
    std::stringstream bytes;
    bytes << in.rdbuf();
    apptest::WriteFile(name, bytes.str());
    return true;
}

bool Near(const Rgba &a, const Rgba &b, int tolerance)
{
    for (int c = 0; c < 3; c++)
        if (a[c] - b[c] > tolerance || b[c] - a[c] > tolerance)
            return false;
    return true;
}

void WidgetTest::SetUp()
{
    UITest::SetUp();
    StartUI();
    extension_calls.clear();
    engine_extension = ov->OV_CallExtension;
    ov->OV_CallExtension = RecordingExtension;
    apptest::draw = [](float dt) {
        ov->OV_ClearScreen(0, 0, 0);
        sman.DrawScreens(dt);
    };
}

uitest::ProbeScreen *WidgetTest::Show(const char *name, const std::string &script)
{
    uitest::ProbeScreen *s = MakeScreen(name, script.c_str());
    sman.PushScreen(s, 0);
    for (int i = 0; i < 100 && s->trans_phase < 1.0f; i++)
        Steps(1, 0.05f);
    EXPECT_GE(s->trans_phase, 1.0f);
    return s;
}

void WidgetTest::Frame()
{
    DrawFrame();
}

void WidgetTest::Touch(hl::TouchPhase phase, int x, int y)
{
    ASSERT_TRUE(hl::inject_touch(phase, 0, x, y));
    PumpFrame();
}

void WidgetTest::Tap(int x, int y)
{
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Down, 0, x, y));
    ASSERT_TRUE(hl::inject_touch(hl::TouchPhase::Up, 0, x, y));
    PumpFrame();
}

void WidgetTest::Key(int symbol)
{
    ASSERT_TRUE(hl::inject_key(symbol, true));
    ASSERT_TRUE(hl::inject_key(symbol, false));
    PumpFrame();
}

bool WidgetTest::Run(Screen *s, const std::string &text)
{
    return s && s->ui && lua_man.ExecLuaString(s->ui->L, text.c_str());
}

std::string WidgetTest::Eval(Screen *s, const std::string &expression)
{
    lua_State *L = s->ui->L;
    const int top = lua_gettop(L);
    std::string code = "return " + expression;
    std::string out = "error";
    if (luaL_loadstring(L, code.c_str()) == 0 && lua_pcall(L, 0, 1, 0) == 0) {
        if (lua_isnil(L, -1))
            out = "nil";
        else if (lua_isboolean(L, -1))
            out = lua_toboolean(L, -1) ? "true" : "false";
        else if (lua_type(L, -1) == LUA_TNUMBER) {
            char buf[64];
            snprintf(buf, sizeof buf, "%.14g", lua_tonumber(L, -1));
            out = buf;
        } else if (lua_isstring(L, -1))
            out = lua_tostring(L, -1);
    }
    lua_settop(L, top);
    return out;
}

int WidgetTest::Clicks(const char *comp)
{
    int n = 0;
    const std::string suffix = std::string(":Click ") + comp;
    for (const std::string &c : uitest::calls)
        if (c.size() >= suffix.size() && c.compare(c.size() - suffix.size(), suffix.size(), suffix) == 0)
            n++;
    return n;
}

}  // namespace wtest
