// Drawing built-ins on the real OpenGL ES renderer (headless), read back as pixels:
// mirrored, aligned and scaled bitmap draws.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/luaman.h"
#include "gfx/bitmap.h"
#include "ovrecords.h"

#include <stdlib.h>
#include <string.h>

#include <string>

using namespace apptest;

namespace {

const Rgba kRed = {255, 0, 0, 255};
const Rgba kBlue = {0, 0, 255, 255};
const Rgba kBlack = {0, 0, 0, 255};

// "halves4x2": 4 x 2 pixels, the left two columns red, the right two blue.
bool HalvesLoader(ov_bitmap_t *b)
{
    if (strcmp(b->name, "halves4x2") != 0)
        return false;
    b->width = b->src_width = 4;
    b->height = b->src_height = 2;
    b->pixels = (uint8_t *)malloc(4 * 2 * 4);
    for (int i = 0; i < 8; i++) {
        bool left = i % 4 < 2;
        uint8_t px[4] = {(uint8_t)(left ? 255 : 0), 0, (uint8_t)(left ? 0 : 255), 255};
        memcpy(b->pixels + i * 4, px, 4);
    }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

class DrawBuiltinsTest : public AppEngineTest {
protected:
    void SetUp() override {
        AppEngineTest::SetUp();
        OVI_SetBitmapFileLoader(HalvesLoader);
        Start();
        L = lua_man.OpenLuaState(0);
        ASSERT_NE(L, nullptr);
        ASSERT_NE(ov->OV_LoadBitmap("halves4x2", 6), nullptr);
    }
    void TearDown() override {
        lua_man.CloseLuaState(L);
        AppEngineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
    }
    // Draws one frame that clears to black and runs the script with point filtering.
    void DrawScript(const std::string &code) {
        std::string script = "OV_SetPixelFilter('POINT') OV_SetColor(1, 1, 1) OV_SetAlpha(1) " + code;
        draw = [this, script](float) {
            ov->OV_ClearScreen(0, 0, 0);
            EXPECT_TRUE(lua_man.ExecLuaString(L, script.c_str()));
        };
        DrawFrame();
    }
    lua_State *L = nullptr;
};

}  // namespace

TEST_F(DrawBuiltinsTest, MirroredDrawSwapsLeftAndRightOnlyForThatCall)
{
    // Centred on (50, 50): the 4 x 2 picture covers x 48..51, y 49..50.
    DrawScript("OV_DrawBitmapMirroredRS('halves4x2', 50, 50, 0, 1) OV_DrawBitmapRS('halves4x2', 50, 60, 0, 1)");
    for (int y = 49; y <= 50; y++) {
        EXPECT_EQ(Pixel(48, y), kBlue);
        EXPECT_EQ(Pixel(49, y), kBlue);
        EXPECT_EQ(Pixel(50, y), kRed);
        EXPECT_EQ(Pixel(51, y), kRed);
    }
    EXPECT_EQ(Pixel(47, 49), kBlack);
    EXPECT_EQ(Pixel(52, 49), kBlack);
    // The plain draw after it is not mirrored.
    EXPECT_EQ(Pixel(48, 59), kRed);
    EXPECT_EQ(Pixel(51, 59), kBlue);
}

TEST_F(DrawBuiltinsTest, AlignedDrawsPlaceTheCornerByTheWords)
{
    struct Case {
        const char *words;
        int left, top;  // where the top-left pixel lands
    } cases[] = {
        {"", 100, 100},
        {"BOTTOMRIGHT", 96, 98},
        {"CENTER", 98, 99},
        {"RIGHT", 96, 100},
        {"BOTTOM HCENTER", 98, 98},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words);
        DrawScript(std::string("OV_DrawBitmapAligned('halves4x2', 100, 100, '") + c.words + "')");
        EXPECT_EQ(Pixel(c.left, c.top), kRed);
        EXPECT_EQ(Pixel(c.left + 1, c.top + 1), kRed);
        EXPECT_EQ(Pixel(c.left + 2, c.top), kBlue);
        EXPECT_EQ(Pixel(c.left + 3, c.top + 1), kBlue);
        EXPECT_EQ(Pixel(c.left - 1, c.top), kBlack);
        EXPECT_EQ(Pixel(c.left + 4, c.top), kBlack);
        EXPECT_EQ(Pixel(c.left, c.top - 1), kBlack);
        EXPECT_EQ(Pixel(c.left, c.top + 2), kBlack);
    }
}

TEST_F(DrawBuiltinsTest, ScaledDrawKeepsTheTopLeftCorner)
{
    // Scale 2 from (10, 10): x 10..17 (red to 13), y 10..13.
    DrawScript("OV_DrawBitmapS('halves4x2', 10, 10, 2)");
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(13, 13), kRed);
    EXPECT_EQ(Pixel(14, 10), kBlue);
    EXPECT_EQ(Pixel(17, 13), kBlue);
    EXPECT_EQ(Pixel(9, 10), kBlack);
    EXPECT_EQ(Pixel(18, 10), kBlack);
    EXPECT_EQ(Pixel(10, 14), kBlack);
}

// "OV_DrawText" answers what the engine's text drawing answers (the widest line's width),
// truncated: a script can place what follows its text.
TEST_F(DrawBuiltinsTest, DrawTextAnswersTheWidthTheEngineDrew)
{
    WriteFile("fonts/medium.mft", "");  // the folder
    const std::string copy =
        std::string("cp '") + ORVEX_APP_NATIVE_DIR + "/fonts/medium.mft' app/native/fonts/medium.mft";
    ASSERT_EQ(system(copy.c_str()), 0);
    ov_font_t *font = ov->OV_GetFont("fonts/medium.mft");
    ASSERT_NE(font, nullptr);
    for (const char *text : {"Wave 3", "short\na much longer middle line\nend", "i", ""}) {
        SCOPED_TRACE(text);
        lua_pushstring(L, text);
        lua_setglobal(L, "text");
        float engine = -1.0f;
        draw = [this, font, text, &engine](float) {
            ov->OV_ClearScreen(0, 0, 0);
            EXPECT_TRUE(lua_man.ExecLuaString(L, "drawn = OV_DrawText('fonts/medium.mft', 10.5, 20, text)"));
            engine = ov->OV_DrawTextf(font, 10.5f, 20.0f, "%s", text);
        };
        DrawFrame();
        lua_getglobal(L, "drawn");
        ASSERT_TRUE(lua_isnumber(L, -1));
        EXPECT_EQ(lua_tonumber(L, -1), (double)(int)engine);
        lua_pop(L, 1);
        if (text[0] != '\0') {
            EXPECT_GT(engine, 1.0f);
        }
    }
    ov->OV_ReleaseFont(font);
}
