// The built-in script functions: what reaches the engine (slots of `ov` wrapped to
// record their arguments and pass the call on), their results, and the pixel effects.
#include "tests/app/services/app_engine_fixture.h"

#include "app/services/audioman.h"
#include "app/services/luaman-builtins.h"
#include "app/services/luaman.h"
#include "app/services/prog.h"
#include "gfx/bitmap.h"
#include "ovrecords.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

using namespace apptest;

namespace {

orvex_t real;                    // the engine's own slots
std::vector<std::string> calls;  // what the wrapped slots received, in order

std::string Format(const char *fmt, ...)
{
    char text[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    return text;
}

const char *NameOf(ov_bitmap_t *b)
{
    return b && b->name ? b->name : "null";
}

long WrapPlaySound(ov_sound_t *s, float volume, float pan, float frequency)
{
    calls.push_back(Format("PlaySound %s %g %g %g", s && s->name ? s->name : "null", volume, pan, frequency));
    return real.OV_PlaySound(s, volume, pan, frequency);
}
void WrapDrawBitmapRS(ov_bitmap_t *b, float x, float y, float angle, float scale)
{
    calls.push_back(Format("DrawBitmapRS %s %g %g %g %g", NameOf(b), x, y, angle, scale));
    real.OV_DrawBitmapRS(b, x, y, angle, scale);
}
void WrapDrawBitmap(ov_bitmap_t *b, float x, float y)
{
    calls.push_back(Format("DrawBitmap %s %g %g", NameOf(b), x, y));
    real.OV_DrawBitmap(b, x, y);
}
void WrapSetTextAlign(int flags)
{
    calls.push_back(Format("SetTextAlign %d", flags));
    real.OV_SetTextAlign(flags);
}
void WrapSetBitmapCacheMode(ov_bitmap_t *b, int mode)
{
    calls.push_back(Format("SetBitmapCacheMode %s %d", NameOf(b), mode));
    real.OV_SetBitmapCacheMode(b, mode);
}
ov_bitmap_t *WrapLoadBitmap(const char *name, int mode)
{
    calls.push_back(Format("LoadBitmap %s %d", name, mode));
    return real.OV_LoadBitmap(name, mode);
}
const char *WrapCallExtension(const char *command, const char *argument)
{
    calls.push_back(Format("CallExtension %s %zu", command ? command : "null", argument ? strlen(argument) : 0));
    if (command && strcmp(command, "TestPing") == 0)
        return "pong";
    return real.OV_CallExtension(command, argument);
}
void WrapSetBlend(int mode)
{
    calls.push_back(Format("SetBlend %d", mode));
    real.OV_SetBlend(mode);
}
void WrapSetPixelFilter(int mode)
{
    calls.push_back(Format("SetPixelFilter %d", mode));
    real.OV_SetPixelFilter(mode);
}
int WrapGetKeyStatei(int key)
{
    calls.push_back(Format("GetKeyStatei %d", key));
    return real.OV_GetKeyStatei(key);
}
int WrapSetScissorRect(int x, int y, int w, int h)
{
    calls.push_back(Format("SetScissorRect %d %d %d %d", x, y, w, h));
    return real.OV_SetScissorRect(x, y, w, h);
}
void WrapSlideMusicVolume(float volume, float seconds)
{
    calls.push_back(Format("SlideMusicVolume %g %g", volume, seconds));
    real.OV_SlideMusicVolume(volume, seconds);
}
void WrapPushTransform(nTransform *t)
{
    std::string text = "PushTransform";
    for (float v : t->m)
        text += Format(" %g", v);
    calls.push_back(text);
    real.OV_PushTransform(t);
}

// Bitmaps with known pixels: "box5x4" and "box3x1" (grey), "tint2x2" and "ramp3x3".
bool TestBitmaps(ov_bitmap_t *b)
{
    static const uint8_t kTint[16] = {100, 50, 30, 255, 250, 250, 250, 255, 0, 0, 0, 255, 10, 200, 90, 7};
    int w, h;
    if (strcmp(b->name, "box5x4") == 0)
        w = 5, h = 4;
    else if (strcmp(b->name, "box3x1") == 0)
        w = 3, h = 1;
    else if (strcmp(b->name, "tint2x2") == 0)
        w = 2, h = 2;
    else if (strcmp(b->name, "ramp3x3") == 0)
        w = 3, h = 3;
    else
        return false;
    b->width = b->src_width = w;
    b->height = b->src_height = h;
    b->pixels = (uint8_t *)malloc((size_t)w * h * 4);
    for (int i = 0; i < w * h; i++) {
        uint8_t *p = b->pixels + i * 4;
        if (w == 2) {
            memcpy(p, kTint + i * 4, 4);
        } else if (w == 3 && h == 3) {
            // Channels 0 and 1: 10, 20, ... 90 in memory order; channel 2 the rest to 255.
            p[0] = p[1] = (uint8_t)(10 * (i + 1));
            p[2] = (uint8_t)(255 - 10 * (i + 1));
            p[3] = 200;
        } else {
            p[0] = p[1] = p[2] = 128;
            p[3] = 255;
        }
    }
    b->flags |= OV_BITMAP_ALPHA;
    return true;
}

class BuiltinsTest : public AppEngineTest {
protected:
    void SetUp() override {
        AppEngineTest::SetUp();
        OVI_SetBitmapFileLoader(TestBitmaps);
        Start();
        real = saved_;
        ov->OV_PlaySound = WrapPlaySound;
        ov->OV_DrawBitmapRS = WrapDrawBitmapRS;
        ov->OV_DrawBitmap = WrapDrawBitmap;
        ov->OV_SetTextAlign = WrapSetTextAlign;
        ov->OV_SetBitmapCacheMode = WrapSetBitmapCacheMode;
        ov->OV_LoadBitmap = WrapLoadBitmap;
        ov->OV_CallExtension = WrapCallExtension;
        ov->OV_SetBlend = WrapSetBlend;
        ov->OV_SetPixelFilter = WrapSetPixelFilter;
        ov->OV_GetKeyStatei = WrapGetKeyStatei;
        ov->OV_SetScissorRect = WrapSetScissorRect;
        ov->OV_SlideMusicVolume = WrapSlideMusicVolume;
        ov->OV_PushTransform = WrapPushTransform;
        calls.clear();
        L = lua_man.OpenLuaState(0);
        ASSERT_NE(L, nullptr);
    }
    void TearDown() override {
        lua_man.CloseLuaState(L);
        AppEngineTest::TearDown();
        OVI_SetBitmapFileLoader(nullptr);
    }
    // Runs a chunk and returns what the wrapped slots received.
    std::vector<std::string> Run(const std::string &code) {
        calls.clear();
        EXPECT_TRUE(lua_man.ExecLuaString(L, code.c_str())) << code;
        return calls;
    }
    // The value of the global `result` after running a chunk, as text ("nil" for nil).
    std::string Result(const std::string &code) {
        Run("result = nil " + code);
        lua_getfield(L, LUA_GLOBALSINDEX, "result");
        std::string text = lua_isnil(L, -1) ? "nil" : lua_isboolean(L, -1) ? (lua_toboolean(L, -1) ? "true" : "false")
                                                                            : lua_tostring(L, -1);
        lua_pop(L, 1);
        return text;
    }
    // The first three channels of every pixel of a loaded bitmap, and the fourth.
    std::vector<int> Channels(const char *name) {
        ov_bitmap_t *b = ov->OV_GetBitmapEx(name, 16);
        std::vector<int> out;
        for (int i = 0; b && b->pixels && i < b->src_width * b->src_height; i++)
            for (int k = 0; k < 4; k++)
                out.push_back(b->pixels[i * 4 + k]);
        return out;
    }
    lua_State *L = nullptr;
};

typedef std::vector<std::string> Calls;

}  // namespace

TEST_F(BuiltinsTest, PlaySoundDefaultsAndGivenArguments)
{
    aman.SetSoundVolume(1.0f);
    struct Case {
        const char *code;
        const char *engine;
    } cases[] = {
        {"OV_PlaySound('snd')", "PlaySound snd 1 0 1"},
        {"OV_PlaySound('snd', 0.5)", "PlaySound snd 0.5 0 1"},
        {"OV_PlaySound('snd', 0.5, -1, 2)", "PlaySound snd 0.5 -1 2"},
        {"OV_PlaySound('snd', nil, 0.25)", "PlaySound snd 0 0.25 1"},
        {"OV_PlaySound('snd', 3)", "PlaySound snd 1 0 1"},
        {"PlaySound('snd')", "PlaySound snd 1 0 1"},
        {"PlaySound('snd', 0.25, 0.5)", "PlaySound snd 0.25 0.5 1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Run(c.code), Calls{c.engine});
    }
    aman.SetSoundVolume(0.5f);
    EXPECT_EQ(Run("OV_PlaySound('snd', 0.5)"), Calls{"PlaySound snd 0.25 0 1"});
    aman.SetSoundVolume(0.75f);
}

TEST_F(BuiltinsTest, DrawBitmapSOfAFiveByFourBitmapAtScaleTwo)
{
    EXPECT_EQ(Run("OV_DrawBitmapS('box5x4', 10, 20, 2)"), Calls{"DrawBitmapRS box5x4 15.5 24 0 2"});
    EXPECT_EQ(Run("OV_DrawBitmapS('box5x4', 0, 0, 1)"), Calls{"DrawBitmapRS box5x4 3 2 0 1"});
    EXPECT_EQ(Run("OV_DrawBitmapRS('box5x4', 1, 2, 0.5, 3)"), Calls{"DrawBitmapRS box5x4 1 2 0.5 3"});
}

TEST_F(BuiltinsTest, AlignmentWordsGiveTheFlags)
{
    struct Case {
        const char *text;
        int flags;
    } cases[] = {
        {"''", 0}, {"nil", 0}, {"'LEFT'", 0}, {"'BOTTOM'", 2}, {"'RIGHT'", 1}, {"'HCENTER'", 8},
        {"'VCENTER'", 4}, {"'CENTER'", 12}, {"'BOTTOMRIGHT'", 3}, {"'RIGHT|VCENTER'", 5},
        {"'HCENTER VCENTER'", 12}, {"'CENTERRIGHT'", 13}, {"'BOTTOM_HCENTER'", 10}, {"'bottom'", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Run(std::string("OV_SetTextAlign(") + c.text + ")"), Calls{Format("SetTextAlign %d", c.flags)});
    }
}

TEST_F(BuiltinsTest, DrawBitmapAlignedMovesTheCornerByTheFlags)
{
    struct Case {
        const char *text;
        const char *engine;
    } cases[] = {
        {"''", "DrawBitmap box5x4 100 100"},
        {"'BOTTOMRIGHT'", "DrawBitmap box5x4 95 96"},
        {"'CENTER'", "DrawBitmap box5x4 98 98"},
        {"'VCENTER'", "DrawBitmap box5x4 100 98"},
        {"'HCENTER'", "DrawBitmap box5x4 98 100"},
        {"'BOTTOM HCENTER'", "DrawBitmap box5x4 98 96"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Run(std::string("OV_DrawBitmapAligned('box5x4', 100, 100, ") + c.text + ")"), Calls{c.engine});
    }
}

TEST_F(BuiltinsTest, CacheModeWords)
{
    struct Case {
        const char *word;
        int mode;  // -1: nothing changes
    } cases[] = {
        {"'FULL_DATA'", 6}, {"'full_data'", 6}, {"'HW_DATA'", 4}, {"'HW_DATA_ONLY'", 4}, {"'NOTHING'", 0},
        {"'Source_Name_Only'", 0}, {"'SW_DATA'", 2}, {"'SW_DATA_ONLY'", 2}, {"'SW'", -1}, {"nil", -1},
    };
    ASSERT_NE(ov->OV_LoadBitmap("box5x4", 6), nullptr);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.word);
        Calls got = Run(std::string("OV_SetBitmapCacheMode('box5x4', ") + c.word + ")");
        EXPECT_EQ(got, c.mode < 0 ? Calls{} : Calls{Format("SetBitmapCacheMode box5x4 %d", c.mode)});
    }
}

TEST_F(BuiltinsTest, LoadBitmapModes)
{
    EXPECT_EQ(Run("OV_LoadBitmap('box5x4')"), Calls{"LoadBitmap box5x4 4"});
    EXPECT_EQ(Run("OV_LoadBitmap('box5x4', 'DEFAULT')"), Calls{"LoadBitmap box5x4 4"});
    EXPECT_EQ(Run("OV_LoadBitmap('box5x4', 'NOTHING')"), Calls{"LoadBitmap box5x4 0"});
    EXPECT_EQ(Run("OV_LoadBitmap('box5x4', 'nothing')"), Calls{"LoadBitmap box5x4 4"});
    EXPECT_TRUE(Logged("Unsupported cache mode in lua OV_LoadBitmap (box5x4, nothing)"));
}

TEST_F(BuiltinsTest, StateWordsOfBlendAndPixelFilter)
{
    EXPECT_EQ(Run("OV_SetBlend('ADDITIVE')"), Calls{"SetBlend 1"});
    EXPECT_EQ(Run("OV_SetBlend('additive')"), Calls{"SetBlend 0"});
    EXPECT_EQ(Run("OV_SetBlend()"), Calls{"SetBlend 0"});
    EXPECT_EQ(Run("OV_SetPixelFilter('point')"), Calls{"SetPixelFilter 0"});
    EXPECT_EQ(Run("OV_SetPixelFilter('POINT')"), Calls{"SetPixelFilter 0"});
    EXPECT_EQ(Run("OV_SetPixelFilter('LINEAR')"), Calls{"SetPixelFilter 1"});
    EXPECT_EQ(Run("OV_SetPixelFilter()"), Calls{"SetPixelFilter 1"});
}

TEST_F(BuiltinsTest, KeyStatesByName)
{
    EXPECT_EQ(Run("OV_GetKeyState('A')"), Calls{"GetKeyStatei 0"});
    EXPECT_EQ(Run("OV_GetKeyState('a')"), Calls{"GetKeyStatei 97"});
    EXPECT_EQ(Run("OV_GetKeyState('ESCAPE')"), Calls{"GetKeyStatei 27"});
    Run("OV_SetKeyStateFloat('MOUSE_X', 12.5)");
    EXPECT_EQ(Result("result = OV_GetKeyStateFloat('MOUSE_X')"), "12.5");
    Run("OV_SetKeyState('MOUSE_BUTTON_7', 2)");
    EXPECT_EQ(Result("result = OV_GetKeyState('MOUSE_BUTTON_7')"), "2");
}

TEST_F(BuiltinsTest, CallExtensionArgumentLimit)
{
    std::string arg1022(1022, 'x'), arg1023(1023, 'x');
    EXPECT_EQ(Result("result = OV_CallExtension('TestPing', '" + arg1022 + "')"), "pong");
    EXPECT_EQ(calls, Calls{"CallExtension TestPing 1022"});
    EXPECT_EQ(Result("result = OV_CallExtension('TestPing', '" + arg1023 + "')"), "nil");
    EXPECT_EQ(calls, Calls{});
    EXPECT_EQ(Result("result = OV_CallExtension('TestPing')"), "pong");
    EXPECT_EQ(calls, Calls{"CallExtension TestPing 0"});
    EXPECT_EQ(Result("result = OV_CallExtension('NoSuchCommand', 'a')"), "nil");
}

TEST_F(BuiltinsTest, FormattedTime)
{
    struct Case {
        const char *code;
        const char *text;
    } cases[] = {
        {"GetFormattedTime(59000)", "00:00:59"},
        {"GetFormattedTime(59000, 'MM:SS')", "00:59"},
        {"GetFormattedTime(3723000, 'MM:SS')", "01:02:03"},
        {"GetFormattedTime(3723999, 'HH:MM:SS')", "01:02:03"},
        {"GetFormattedTime(0, '')", "00:00"},
        {"GetFormattedTime(360000000, 'MM')", "100:00:00"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Result(std::string("result = ") + c.code), c.text);
    }
}

TEST_F(BuiltinsTest, MusicVolumes)
{
    aman.SetMusicVolume(0.75f);
    EXPECT_EQ(Run("SetMusicVolume(0.75)"), Calls{});
    EXPECT_EQ(Run("SetMusicVolume(0.25)"), Calls{"SlideMusicVolume 0.25 0"});
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.25f);
    EXPECT_EQ(Run("SetMusicVolume(5)"), Calls{"SlideMusicVolume 1 0"});
    aman.SetMusicVolume(0.5f);
    EXPECT_EQ(Run("OV_SlideMusicVolume(0.5, 2)"), Calls{"SlideMusicVolume 0.25 2"});
    EXPECT_FLOAT_EQ(aman.GetMusicVolume(), 0.5f);
    EXPECT_EQ(Run("SlideMusicVolume(-1, 3)"), Calls{"SlideMusicVolume 0 3"});
    EXPECT_EQ(Result("result = GetMusicVolume()"), "0");
    Run("SetSoundVolume(0.5)");
    EXPECT_EQ(Result("result = GetSoundVolume()"), "0.5");
    aman.SetMusicVolume(0.75f);
    aman.SetSoundVolume(0.75f);
}

TEST_F(BuiltinsTest, ProgramRecordFunctions)
{
    EXPECT_EQ(Result("result = GetVersionString()"), "2.5.1");
    EXPECT_EQ(Result("result = IsDeveloperModeActive()"), "true");
    Run("SetScreenWindowed(true)");
    EXPECT_EQ(prog.parms.windowed, 1);
    EXPECT_EQ(Result("result = IsScreenWindowed()"), "true");
    Run("SetScreenWindowed(false)");
    EXPECT_EQ(Result("result = IsScreenWindowed()"), "false");
    EXPECT_EQ(Run("OV_RemoveScissorRect()"), Calls{Format("SetScissorRect 0 0 %d %d", prog.parms.width, prog.parms.height)});
    EXPECT_EQ(Run("OV_SetScissorRect(1.9, 2, 3, 4)"), Calls{"SetScissorRect 1 2 3 4"});
}

TEST_F(BuiltinsTest, TransformsPushedAsMatrices)
{
    EXPECT_EQ(Run("OV_PushTransformTranslation(5, 6, 7) OV_PopTransform()"),
              Calls{"PushTransform 1 0 0 5 0 1 0 6 0 0 1 7 0 0 0 1"});
    EXPECT_EQ(Run("OV_PushTransformScale(2, 3) OV_PopTransform()"),
              Calls{"PushTransform 2 0 0 0 0 3 0 0 0 0 1 0 0 0 0 1"});
    EXPECT_EQ(Run("OV_PushTransformRotation(0) OV_PopTransform()"),
              Calls{"PushTransform 1 -0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"});
}

TEST_F(BuiltinsTest, BitmapQueriesAndReleases)
{
    EXPECT_EQ(Result("result = OV_GetBitmapWidth('box5x4') * 100 + OV_GetBitmapHeight('box5x4')"), "504");
    EXPECT_EQ(Result("result = OV_GetNumBitmapFrames('box5x4')"), "0");
    EXPECT_EQ(Result("result = OV_CreateBitmap('made', 8, 4, 'render_target')"), "true");
    Run("OV_ReleaseBitmap('never-loaded')");
    EXPECT_TRUE(Logged("Lua OV_ReleaseBitmap ('never-loaded') - bitmap isn't loaded at all."));
    EXPECT_EQ(Result("result = OV_FileExists('nothing-here.txt')"), "0");
    WriteFile("present.txt", "x");
    EXPECT_EQ(Result("result = OV_FileExists('present.txt')"), "1");
    EXPECT_EQ(Result("result = OV_FileExists()"), "0");
}

TEST_F(BuiltinsTest, SoundParameterMaxInstances)
{
    Run("OV_SetSoundParm('sfx/param', 'maxinstances', 3)");
    ov_sound_t *s = ov->OV_GetSoundEx("sfx/param", 16);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->max_instances, 3);
    Run("OV_SetSoundParm('sfx/param', 'Volume', 9)");
    EXPECT_EQ(s->max_instances, 3);
}

TEST_F(BuiltinsTest, SepiaOnTwoByTwo)
{
    ASSERT_NE(ov->OV_LoadBitmap("tint2x2", 6), nullptr);
    EXPECT_EQ(Result("result = OV_BitmapColorSepia('tint2x2', 0)"), "true");
    EXPECT_EQ(Channels("tint2x2"), (std::vector<int>{79, 67, 44, 255, 254, 254, 234, 255, 19, 7, 0, 255, 119, 107, 84, 7}));
}

TEST_F(BuiltinsTest, SepiaKeepsHalfAndAlmostAll)
{
    ASSERT_NE(ov->OV_LoadBitmap("tint2x2", 6), nullptr);
    EXPECT_EQ(Result("result = OV_BitmapColorSepia('tint2x2', 0.5)"), "true");
    std::vector<int> half = Channels("tint2x2");
    EXPECT_EQ(std::vector<int>(half.begin(), half.begin() + 4), (std::vector<int>{89, 58, 37, 255}));
    EXPECT_EQ(Result("result = OV_BitmapColorSepia('tint2x2', 2)"), "true");  // keep clamped to 1
    std::vector<int> kept = Channels("tint2x2");
    EXPECT_EQ(std::vector<int>(kept.begin(), kept.begin() + 4), (std::vector<int>{88, 57, 36, 255}));
}

TEST_F(BuiltinsTest, BlackAndWhiteOnTwoByTwo)
{
    ASSERT_NE(ov->OV_LoadBitmap("tint2x2", 6), nullptr);
    EXPECT_EQ(Result("result = OV_BitmapColorBlackAndWhite('tint2x2', 0)"), "true");
    EXPECT_EQ(Channels("tint2x2"), (std::vector<int>{59, 59, 59, 255, 249, 249, 249, 255, 0, 0, 0, 255, 99, 99, 99, 7}));
}

TEST_F(BuiltinsTest, BlackAndWhiteKeepingHalf)
{
    ASSERT_NE(ov->OV_LoadBitmap("tint2x2", 6), nullptr);
    EXPECT_EQ(Result("result = OV_BitmapColorBlackAndWhite('tint2x2', 0.5)"), "true");
    std::vector<int> half = Channels("tint2x2");
    EXPECT_EQ(std::vector<int>(half.begin(), half.begin() + 4), (std::vector<int>{79, 54, 44, 255}));
}

TEST_F(BuiltinsTest, BlurOnThreeByThree)
{
    ASSERT_NE(ov->OV_LoadBitmap("ramp3x3", 6), nullptr);
    EXPECT_EQ(Result("result = OV_BlurBitmap('ramp3x3', 7)"), "true");
    std::vector<int> px = Channels("ramp3x3");
    ASSERT_EQ(px.size(), 36u);
    const int c0[9] = {10, 27, 30, 40, 49, 59, 70, 72, 90};
    const int c2[9] = {245, 227, 225, 215, 204, 194, 185, 182, 165};
    for (int i = 0; i < 9; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(px[i * 4 + 0], c0[i]);
        EXPECT_EQ(px[i * 4 + 1], c0[i]);
        EXPECT_EQ(px[i * 4 + 2], c2[i]);
        EXPECT_EQ(px[i * 4 + 3], 200);
    }
}

TEST_F(BuiltinsTest, PixelEffectsWithoutUsablePixelsGiveFalse)
{
    // One row cannot be blurred; a bitmap that keeps no pixels cannot be changed.
    ASSERT_NE(ov->OV_LoadBitmap("box3x1", 6), nullptr);
    EXPECT_EQ(Result("result = OV_BlurBitmap('box3x1')"), "false");
    EXPECT_EQ(Result("result = OV_BitmapColorSepia('box3x1', 0)"), "true");
    ov_bitmap_t *b = ov->OV_LoadBitmap("box5x4", 6);
    ASSERT_NE(b, nullptr);
    real.OV_SetBitmapCacheMode(b, 4);
    ASSERT_EQ(b->pixels, nullptr);
    EXPECT_EQ(Result("result = OV_BitmapColorBlackAndWhite('box5x4', 0)"), "false");
    EXPECT_EQ(Result("result = OV_BlurBitmap('box5x4')"), "false");
}

TEST_F(BuiltinsTest, PixelEffectsUseThePixelSizeNotTheDrawingSize)
{
    // A data manifest may draw a bitmap larger than its pixels.
    ov_bitmap_t *b = ov->OV_LoadBitmap("ramp3x3", 6);
    ASSERT_NE(b, nullptr);
    b->width = 30;
    b->height = 30;
    EXPECT_EQ(Result("result = OV_BlurBitmap('ramp3x3')"), "true");
    EXPECT_EQ(Channels("ramp3x3")[4 * 4], 49);
    EXPECT_EQ(Result("result = OV_BitmapColorSepia('ramp3x3', 0)"), "true");
    b->width = 3;
    b->height = 3;
}

TEST_F(BuiltinsTest, CopyBitmapComparesPixelSizes)
{
    ASSERT_NE(ov->OV_LoadBitmap("box5x4", 6), nullptr);
    ASSERT_NE(ov->OV_LoadBitmap("ramp3x3", 6), nullptr);
    ASSERT_NE(ov->OV_LoadBitmap("box3x1", 6), nullptr);
    EXPECT_EQ(Result("result = OV_CopyBitmap('box5x4', 'box5x4')"), "true");
    EXPECT_EQ(Result("result = OV_CopyBitmap('box5x4', 'ramp3x3')"), "false");
    EXPECT_EQ(Result("result = OV_CopyBitmap('ramp3x3', 'box3x1')"), "false");
}

TEST_F(BuiltinsTest, NamesInTableOrderAreFunctionsOfEveryState)
{
    static const char *const kNames[] = {
        "GetVersionString", "OrvexShutdown", "OV_LoadBitmap", "OV_GetBitmap", "OV_GetBitmapWidth",
        "OV_GetBitmapHeight", "OV_GetFont", "OV_GetFontHeight", "OV_DrawBitmapRS", "OV_DrawBitmapMirroredRS",
        "OV_DrawBitmapS", "OV_DrawBitmap", "OV_DrawSubBitmap", "OV_DrawBitmapAligned", "OV_DrawRect",
        "OV_DrawLine", "OV_DrawText", "OV_SetPixelFilter", "OV_SetColor", "OV_SetAlpha", "OV_SetBlend",
        "OV_SetTextAlign", "OV_SetTextboxWidth", "OV_SetTextTransform", "OV_SetScissorRect",
        "OV_RemoveScissorRect", "OV_SetBitmapFrame", "OV_GetNumBitmapFrames", "OV_GetTextWidth",
        "OV_GetTextHeight", "OV_GetKeyState", "OV_GetKeyStateFloat", "OV_SetKeyState", "OV_SetKeyStateFloat",
        "OV_SlideMusicVolume", "OV_GetSound", "OV_PlaySound", "OV_LoadSound", "OV_ReleaseSound",
        "OV_SetChannelFrequency", "OV_SetChannelLooping", "OV_SetChannelPaused", "OV_StopChannel",
        "OV_SlideChannelVolume", "OV_SetSoundParm", "OV_CallExtension", "OV_GetTime", "OV_Popup",
        "OV_CreateBitmap", "OV_RefreshBitmap", "OV_ReleaseBitmap", "OV_PushTransformTranslation",
        "OV_PushTransformRotation", "OV_PushTransformScale", "OV_PopTransform", "OV_SetBitmapCacheMode",
        "OV_FileExists", "OV_BlurBitmap", "OV_CopyBitmap", "OV_BitmapColorSepia", "OV_BitmapColorBlackAndWhite",
        "SetMusicVolume", "SetSoundVolume", "GetMusicVolume", "GetSoundVolume", "SetScreenWindowed",
        "IsScreenWindowed", "CacheSound", "PlaySound", "SwitchMusic", "SlideMusicVolume", "SetMusicLooping",
        "StopMusic", "GetCurrentMusicAsString", "CacheFX", "SpawnFX", "DM_GetValue", "DM_GetArraySize", "DM_GetArrayId",
        "DM_GetNumberOfArrays", "DM_GetNodeIndexById", "LuaInclude", "Localize", "LocalizeComment",
        "LocalizeNewLine", "LocalizeNumber", "LocalizeTime", "GetFormattedTime", "ReloadFxs", "IsDeveloperModeActive",
        "Print",
    };
    ASSERT_EQ(sizeof kNames / sizeof kNames[0], 91u);
    const luaL_Reg *table = LuaGetBuiltins();
    int n = 0;
    for (; table[n].name; n++) {
        ASSERT_LT(n, 91);
        EXPECT_STREQ(table[n].name, kNames[n]) << "place " << n;
        EXPECT_TRUE(LuaManager::DoesLuaFunctionExist(L, kNames[n])) << kNames[n];
    }
    EXPECT_EQ(n, 91);
}

TEST_F(BuiltinsTest, DataRegistryFunctions)
{
    WriteFile("data/test-items.xml",
              "<?xml version=\"1.0\"?>\n<root>\n<array id=\"ITEMS\">\n <node id=\"sword\" dmg=\"5\" />\n <node id=\"shield\" dmg=\"2\" />\n"
              "</array>\n<array id=\"EMPTY\">\n</array>\n</root>\n");
    const std::string f = "'data/test-items.xml'";
    struct Case {
        std::string code;
        const char *result;
    } cases[] = {
        {"DM_GetValue(" + f + ", 'ITEMS', 'shield', 'dmg')", "2"},
        {"DM_GetValue(" + f + ", 0, 0, 'dmg')", "5"},
        {"DM_GetValue(" + f + ", '0', '1', 'dmg')", "2"},
        {"DM_GetValue(" + f + ", 'ITEMS', 'shield', 'weight')", "nil"},
        {"DM_GetValue(" + f + ", 'ITEMS', 'axe', 'dmg')", "nil"},
        {"DM_GetValue(" + f + ", 'NONE', 0, 'dmg')", "nil"},
        {"DM_GetArraySize(" + f + ", 'ITEMS')", "2"},
        {"DM_GetArraySize(" + f + ", 1)", "0"},
        {"DM_GetArraySize(" + f + ", 'NONE')", "nil"},
        {"DM_GetArrayId(" + f + ", 'EMPTY')", "EMPTY"},
        {"DM_GetArrayId(" + f + ", 'NONE')", "nil"},
        {"DM_GetNumberOfArrays(" + f + ")", "2"},
        {"DM_GetNumberOfArrays('data/missing.xml')", "0"},
        {"DM_GetNodeIndexById(" + f + ", 'ITEMS', 'shield')", "1"},
        {"DM_GetNodeIndexById(" + f + ", 'ITEMS', 'axe')", "-1"},
        {"DM_GetNodeIndexById(" + f + ", 'NONE', 'axe')", "nil"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Result("result = " + c.code), c.result);
    }
}

TEST_F(BuiltinsTest, LocalisationFunctionsWithoutALanguage)
{
    EXPECT_EQ(Result("result = Localize('Hello there')"), "Hello there");
    EXPECT_EQ(Result("result = Localize('@hidden')"), "@hidden");  // inactive: every key as written
    EXPECT_EQ(Result("result = LocalizeNumber(1234567)"), "1,234,567");
    EXPECT_EQ(Result("result = LocalizeNumber(-1234)"), "-1,234");
    EXPECT_EQ(Result("result = LocalizeTime(3725000)"), "01:02:05");
    EXPECT_EQ(Result("result = LocalizeTime(65000)"), "01:05");
    Run("LocalizeComment('a note') LocalizeNewLine()");
}
