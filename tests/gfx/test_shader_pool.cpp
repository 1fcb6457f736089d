// The shader pool as an application reaches it, through entry 0 of the extension table:
// the record of a null name, the record's kind, one record per name, the log line of a
// new record and the popup of a full pool.
#include "tests/gfx/gfx_fixture.h"

#include "gfx/shader.h"

#include <stdio.h>
#include <string.h>

using namespace gfxtest;

namespace {

typedef ov_shader_t *(*GetShaderFn)(const char *name);

class ShaderPool : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        Start();
        void **ext = ov->ext;
        ASSERT_NE(ext, nullptr);
        get_ = (GetShaderFn)ext[0];
        ASSERT_NE(get_, nullptr);
    }
    GetShaderFn get_ = nullptr;
};

}  // namespace

TEST_F(ShaderPool, RecordsByNameWithTheirKind)
{
    struct Case {
        const char *name;
        const char *stored;
        int kind;
    } cases[] = {
        {nullptr, "!NONE", OV_SHADER_PLAIN},
        {"!DOT3_DIRECTIONAL", "!DOT3_DIRECTIONAL", OV_SHADER_DOT3_DIRECTIONAL},
        {"water", "water", OV_SHADER_PLAIN},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        ov_shader_t *s = get_(c.name);
        ASSERT_NE(s, nullptr);
        EXPECT_STREQ(s->name, c.stored);
        EXPECT_EQ(s->kind, c.kind);
        EXPECT_EQ(s->refcount, 1);
        EXPECT_EQ(CountLogged(std::string("..caching shader '") + c.stored + "'"), 1);
        // Asked again: the same record, not counted, not logged again.
        EXPECT_EQ(get_(c.name), s);
        EXPECT_EQ(s->refcount, 1);
        EXPECT_EQ(CountLogged(std::string("..caching shader '") + c.stored + "'"), 1);
    }
    EXPECT_EQ(get_("!NONE"), get_(nullptr));
}

TEST_F(ShaderPool, FullPoolRaisesThePopupAndGivesNull)
{
    char name[32];
    for (int i = 0; i < OV_MAX_SHADERS; i++) {
        snprintf(name, sizeof name, "shader%d", i);
        ASSERT_NE(get_(name), nullptr) << name;
    }
    EXPECT_FALSE(Logged(" ! Orvex out of free shaders."));
    EXPECT_EQ(get_("one too many"), nullptr);
    EXPECT_TRUE(Logged(" ! Orvex out of free shaders."));
    // Records already in the pool are still found.
    ASSERT_NE(get_("shader0"), nullptr);
    EXPECT_STREQ(get_("shader31")->name, "shader31");
}
