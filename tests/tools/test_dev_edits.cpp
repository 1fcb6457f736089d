// Developer-tool writes under user://dev-edits/: the ".tmp" write, the ".bak" of the old
// file, refused names, and failures that must keep the old file and its ".bak".
#include "tools/dev-edits.h"

#include "app/services/filehelpers.h"
#include "orvex.h"
#include "platform/headless.h"
#include "tests/app/services/app_engine_fixture.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kFail[] = "Unable to save to file '%s'.\n";

// The file's text, or "<none>" when it does not open.
std::string Read(const std::string &name)
{
    long size = 0;
    char *data = ReadWholeFile(name.c_str(), &size);
    if (!data)
        return "<none>";
    std::string text(data, (size_t)size);
    free(data);
    return text;
}

class DevEditsTest : public apptest::AppEngineTest {
protected:
    void SetUp() override
    {
        AppEngineTest::SetUp();
        Start();
    }
    // An existing edit with its ".bak", as a failed write must leave them.
    void Seed(const std::string &name)
    {
        ASSERT_TRUE(WriteDevEdit(name.c_str(), std::string("older"), kFail));
        ASSERT_TRUE(WriteDevEdit(name.c_str(), std::string("old"), kFail));
        ASSERT_EQ(Read(DevEditPath(name.c_str())), "old");
        ASSERT_EQ(Read(DevEditPath(name.c_str()) + ".bak"), "older");
    }
};

TEST_F(DevEditsTest, WritesUnderDevEditsAndKeepsTheOldFileAsBak)
{
    EXPECT_EQ(DevEditPath("ui/main-menu.lua"), "user://dev-edits/ui/main-menu.lua");
    ASSERT_TRUE(WriteDevEdit("ui/deep/main-menu.lua", std::string("first\n"), kFail));
    EXPECT_EQ(Read("user://dev-edits/ui/deep/main-menu.lua"), "first\n");
    EXPECT_EQ(Read("user://dev-edits/ui/deep/main-menu.lua.bak"), "<none>");
    ASSERT_TRUE(WriteDevEdit("ui/deep/main-menu.lua", std::string("second\n"), kFail));
    EXPECT_EQ(Read("user://dev-edits/ui/deep/main-menu.lua"), "second\n");
    EXPECT_EQ(Read("user://dev-edits/ui/deep/main-menu.lua.bak"), "first\n");
    EXPECT_EQ(Read("user://dev-edits/ui/deep/main-menu.lua.tmp"), "<none>");
    EXPECT_FALSE(apptest::Logged("Unable to save"));
}

TEST_F(DevEditsTest, RefusesAbsoluteParentAndLongNames)
{
    const std::string long_name = std::string(300, 'a') + "/" + std::string(211, 'b');  // 512
    struct Row {
        std::string name;
    } rows[] = {{"/etc/x.lua"}, {"\\x.lua"}, {"C:x.lua"}, {"res://ui/x.lua"}, {"user://x.lua"},
                {"../x.lua"}, {"ui/../../x.lua"}, {"ui\\..\\x.lua"}, {".."}, {long_name}, {""}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(DevEditNameAllowed(row.name.c_str()));
        EXPECT_EQ(DevEditPath(row.name.c_str()), "");
        EXPECT_FALSE(WriteDevEdit(row.name.c_str(), std::string("x"), kFail));
        if (!row.name.empty()) {
            EXPECT_TRUE(apptest::Logged("Unable to save to file '" + row.name + "'."));
        }
    }
    EXPECT_TRUE(DevEditNameAllowed(long_name.substr(1).c_str()));  // 511 characters
    EXPECT_TRUE(DevEditNameAllowed("ui/..x/x..lua"));
    EXPECT_FALSE(DevEditNameAllowed(nullptr));
}

// Injected failures of the engine's file calls: the real call, then a failed result.
orvex_t real;
unsigned FailingWrite(const void *, unsigned, ov_file_t *)
{
    return 0;
}
int FailingClose(ov_file_t *f)
{
    real.OV_CloseFile(f);
    return -1;
}
int FailingFlush(ov_file_t *f)
{
    real.OV_FlushFile(f);
    return 0;
}

TEST_F(DevEditsTest, FailuresKeepTheOldFileAndItsBak)
{
    enum Failure { kUnwritableFolder, kWrite, kFlush, kClose, kReplace };
    struct Row {
        const char *name;
        Failure failure;
    } rows[] = {{"ui/folder.lua", kUnwritableFolder}, {"ui/write.lua", kWrite}, {"ui/flush.lua", kFlush},
                {"ui/close.lua", kClose}, {"ui/replace.lua", kReplace}};
    real = *ov;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Seed(row.name);
        std::string path = DevEditPath(row.name);
        if (row.failure == kUnwritableFolder) {
            // A folder in the temp's place: the temp cannot be created.
            ASSERT_EQ(ov->OV_CreateDirectory((path + ".tmp").c_str()), 1);
        }
        if (row.failure == kWrite)
            ov->OV_WriteFile = FailingWrite;
        if (row.failure == kFlush)
            ov->OV_FlushFile = FailingFlush;
        if (row.failure == kClose)
            ov->OV_CloseFile = FailingClose;
        if (row.failure == kReplace)
            ov->OV_CallExtension = [](const char *name, const char *arg) -> const char * {
                return strcmp(name, "ReplaceFile") == 0 ? nullptr : real.OV_CallExtension(name, arg);
            };
        EXPECT_FALSE(WriteDevEdit(row.name, std::string("new"), kFail));
        *ov = real;
        EXPECT_TRUE(apptest::Logged("Unable to save to file '" + path + "'."));
        EXPECT_EQ(Read(path), "old");
        EXPECT_EQ(Read(path + ".bak"), "older");
        if (row.failure != kUnwritableFolder) {
            EXPECT_EQ(Read(path + ".tmp"), "<none>");
        }
    }
}

// Every file the writer replaces lies under user://dev-edits/; res:// is never named.
std::vector<std::string> replaced;
TEST_F(DevEditsTest, NeverWritesTheProgramDirectory)
{
    apptest::WriteFile("ui/x.lua", "shipped");
    real = *ov;
    ov->OV_CallExtension = [](const char *name, const char *arg) -> const char * {
        if (strcmp(name, "ReplaceFile") == 0)
            replaced.push_back(arg ? arg : "");
        return real.OV_CallExtension(name, arg);
    };
    replaced.clear();
    EXPECT_TRUE(WriteDevEdit("ui/x.lua", std::string("edited"), kFail));
    EXPECT_TRUE(WriteDevEdit("ui/x.lua", std::string("edited again"), kFail));
    *ov = real;
    ASSERT_EQ(replaced.size(), 3u);  // the file, then its ".bak" and the file
    for (const std::string &name : replaced)
        EXPECT_EQ(name.rfind("user://dev-edits/ui/x.lua", 0), 0u) << name;
    EXPECT_EQ(Read("res://ui/x.lua"), "shipped");
}

TEST_F(DevEditsTest, HeadlessAnswerTableAnswersPromptsOnlyWhenFilled)
{
    EXPECT_EQ(ov->OV_CallExtension("SaveFileDialog", "*.xml"), nullptr);
    ovdev::headless::set_answer("SaveFileDialog", "data/terrain.xml");
    ovdev::headless::set_answer("EditValue: Name", "Ok");
    EXPECT_STREQ(ov->OV_CallExtension("SaveFileDialog", "*.xml"), "data/terrain.xml");
    EXPECT_STREQ(ov->OV_CallExtension("EditValue: Name", "x"), "Ok");
    EXPECT_EQ(ov->OV_CallExtension("OpenFileDialog", "*.xml"), nullptr);
    ovdev::headless::set_answer("EditValue: Name", nullptr);
    EXPECT_EQ(ov->OV_CallExtension("EditValue: Name", "x"), nullptr);
    ovdev::headless::clear_answers();
    EXPECT_EQ(ov->OV_CallExtension("SaveFileDialog", "*.xml"), nullptr);
}

}  // namespace
