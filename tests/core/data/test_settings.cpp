// Program settings read from res://prog.xml during pre-initialisation: the
// application node, the developer switches (and res://developer.xml), the build
// variant of the device, the data manifest, product values and the shipped prog.xml.
#include "tests/core/data/data_fixture.h"

#include "core/console.h"
#include "core/data/dataman.h"
#include "core/platform-info.h"
#include "core/settings.h"
#include "ovkeynames.h"
#include "gfx/window.h"

#include <map>
#include <string>
#include <vector>

using namespace datatest;

namespace {

typedef std::vector<std::pair<std::string, std::string>> Keys;

std::string Node(const std::string &id, const Keys &keys)
{
    std::string s = "\t\t<node id=\"" + id + "\"";
    for (const auto &k : keys)
        s += " " + k.first + "=\"" + k.second + "\"";
    return s + " />\n";
}

std::string Array(const std::string &id, const std::string &nodes)
{
    return "\t<array id=\"" + id + "\">\n" + nodes + "\t</array>\n";
}

std::string Document(const std::string &arrays)
{
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" + arrays + "</root>\n";
}

// prog.xml with the application and developer nodes (skipped when null) and variants.
std::string Prog(const Keys *application, const Keys *developer, const std::string &variants)
{
    std::string parameters;
    if (application)
        parameters += Node("APPLICATION", *application);
    if (developer)
        parameters += Node("DEVELOPER", *developer);
    return Document(Array("PARAMETERS", parameters) + Array("VARIANTS", variants));
}

class Settings : public ScratchDir {
protected:
    void TearDown() override
    {
        ov_dman.ReleaseAll();
        ScratchDir::TearDown();
    }

    // Pre-initialises the engine afresh on prog.xml (none when empty); true when it succeeded.
    bool Run(const std::string &prog, int display_w = 1024, int display_h = 600)
    {
        if (ov)
            ORVEX_Shutdown();
        ov = nullptr;
        const char *(*stand_in)(const char *, const char *) = extension_stand_in;
        ResetRecordAndDevice();
        extension_stand_in = stand_in;
        ov_qnx_screen_width = display_w;
        ov_qnx_screen_height = display_h;
        remove("app/native/prog.xml");
        if (!prog.empty())
            WriteFile("app/native/prog.xml", prog);
        return PreInitCapturingStderr(&err);
    }

    bool RunApplication(const Keys &application, const std::string &variants = Node("QNX", {}))
    {
        return Run(Prog(&application, nullptr, variants));
    }
    bool RunDeveloper(const Keys &developer, const Keys &application = {})
    {
        return Run(Prog(&application, &developer, Node("QNX", {})));
    }

    std::string err;
};

std::string Text(const char *s)
{
    return s ? s : "<null>";
}

}  // namespace

TEST(SettingsValues, FrameTimeOfAFrameRateLimit)
{
    struct Case {
        float fps;
        int ms;
    } cases[] = {{60, 16}, {30, 31}, {0, 500}, {58, 16}, {998, 1}, {5000, 1}, {-1, 1000}, {-2, 1}, {-5, 1}};
    for (const Case &c : cases)
        EXPECT_EQ(OVI_MinFrameMsForFpsLimit(c.fps), c.ms) << c.fps;
}

TEST(SettingsValues, VerboseLevelsResolutionsAndBooleans)
{
    struct Level {
        const char *text;
        int level;
    } levels[] = {{"WARNING,ERROR", 1}, {"warning", 0}, {"ERROR", 2}, {"SYSTEM", 3}, {"SYSTEM,INFO", 0},
                  {"", 0},              {nullptr, 0},   {"xxERRORxx", 2}};
    for (const Level &l : levels)
        EXPECT_EQ(OVI_ParseVerboseLevel(l.text), l.level) << Text(l.text);

    std::string long_text = "1x" + std::string(254, '2');
    struct Resolution {
        std::string text;
        int w, h;
    } resolutions[] = {{"1024x600", 1024, 600}, {"800", 800, 0},    {"800x", 800, 0},
                       {"1280x720x32", 1280, 720}, {long_text, 0, 0}, {"x600", 0, 600}};
    for (const Resolution &r : resolutions) {
        int w = -1, h = -1;
        OVI_ParseResolution(r.text.c_str(), &w, &h);
        EXPECT_EQ(w, r.w) << r.text;
        EXPECT_EQ(h, r.h) << r.text;
    }

    struct Bool {
        const char *text;
        bool value;
    } bools[] = {{"true", true}, {"1", true}, {"t", true},  {"yes", false},
                 {"0", false},   {"false", false}, {"True", false}, {nullptr, false}};
    for (const Bool &b : bools)
        EXPECT_EQ(OVI_SettingsBool(b.text), b.value) << Text(b.text);
}

TEST(SettingsValues, KeyNames)
{
    struct Case {
        const char *name;
        int code;
    } cases[] = {
        {"BACK", 8},         {"BACKSPACE", 8},      {"TAB", 9},          {"RETURN", 13},         {"ESCAPE", 27},
        {"SPACE", 32},       {"DELETE", 46},        {"HELP", 47},        {"0", 48},              {"9", 57},
        {"a", 97},           {"z", 122},            {"A", 0},            {"MOUSE_X", 504},       {"MOUSE_WHEEL", 507},
        {"MOUSE_BUTTON_LEFT", 510}, {"MOUSE_BUTTON_1", 511}, {"MOUSE_BUTTON_7", 517}, {"MOUSE_BUTTON_8", 0},
        {"ACCELEROMETER_Z", 1612}, {"VOLUME_DOWN", 1633}, {"escape", 0},    {"ESCAPE ", 0},         {"", 0},
        {"aa", 0},           {nullptr, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(OV_GetKeyByName(c.name), c.code) << Text(c.name);
}

TEST_F(Settings, FpsLimitSetsTheMinimumFrameTime)
{
    struct Case {
        const char *value;
        int ms;
    } cases[] = {{"60", 16}, {"30", 31}, {"0", 500}, {"abc", 500}, {"-2", 1}, {"-10", 1}};
    for (const Case &c : cases) {
        ASSERT_TRUE(RunApplication({{"fps_limit", c.value}})) << err;
        EXPECT_EQ(record.parms.min_frame_ms, c.ms) << c.value;
    }
    ASSERT_TRUE(RunApplication({}));
    EXPECT_EQ(record.parms.min_frame_ms, 8) << "without a limit the frame time stays";
}

TEST_F(Settings, ReferenceResolutionOfApplicationAndVariant)
{
    struct Case {
        const char *application;
        const char *variant;
        int w, h;
    } cases[] = {
        {"1024x600", nullptr, 1024, 600},
        {"800", nullptr, 800, 0},
        {"1024x600", "800x480", 800, 480},
        {nullptr, "640x", 640, 0},
    };
    for (const Case &c : cases) {
        Keys app, variant;
        if (c.application)
            app.push_back({"reference_resolution", c.application});
        if (c.variant)
            variant.push_back({"reference_resolution", c.variant});
        ASSERT_TRUE(RunApplication(app, Node("QNX", variant))) << err;
        EXPECT_EQ(record.parms.reference_width, c.w);
        EXPECT_EQ(record.parms.reference_height, c.h);
    }
}

TEST_F(Settings, DeveloperSwitches)
{
    struct Case {
        Keys developer;
        int verbose, logging, console, developer_mode;
    } cases[] = {
        {{{"logging_verbose_level", "WARNING,ERROR"}}, 1, 0, 0, 0},
        {{{"logging_verbose_level", "warning"}, {"logging", "t"}}, 0, 1, 0, 0},
        {{{"logging_verbose_level", "SYSTEM"}, {"console", "1"}}, 3, 0, 1, 0},
        {{{"logging_verbose_level", "ERROR"}, {"developer_mode", "true"}, {"console", "yes"}}, 2, 0, 0, 1},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(RunDeveloper(c.developer)) << err;
        EXPECT_EQ(ov_state.verbose_level, c.verbose);
        EXPECT_EQ(ov_state.logging, c.logging);
        EXPECT_EQ(ov_state.console, c.console);
        EXPECT_EQ(ov_state.developer_mode, c.developer_mode);
    }
}

TEST_F(Settings, DeveloperModeAppendsItsFeature)
{
    struct Case {
        const char *mode;
        const char *features;
        const char *result;
    } cases[] = {
        {"true", "A,B", "A,B,DEVELOPER_MODE"},
        {"1", nullptr, "DEVELOPER_MODE"},
        {"t", "", "DEVELOPER_MODE"},
        {"yes", "A", "A"},
        {"false", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        Keys app;
        if (c.features)
            app.push_back({"features", c.features});
        ASSERT_TRUE(RunDeveloper({{"developer_mode", c.mode}}, app)) << err;
        EXPECT_EQ(Text(ov_state.features), Text(c.result)) << c.mode;
        EXPECT_EQ(OVI_ProductFeatureExists("DEVELOPER_MODE"), ov_state.developer_mode == 1) << c.mode;
    }
}

TEST_F(Settings, FeaturesSetAutoscaleAndMultitouch)
{
    struct Case {
        const char *application;
        const char *variant;
        int autoscale, multitouch;
    } cases[] = {
        {"AUTOSCALE_OFF", nullptr, 0, 0},
        {"SHOW_INFO;AUTOSCALE", nullptr, 1, 0},
        {"MULTITOUCH", nullptr, 0, 1},
        {nullptr, "MULTIMOUSE", 0, 1},
        {nullptr, "AUTOSCALE", 0, 0},
        {"X", "MULTITOUCH_OFF", 0, 0},
    };
    for (const Case &c : cases) {
        Keys app, variant;
        if (c.application)
            app.push_back({"features", c.application});
        if (c.variant)
            variant.push_back({"features", c.variant});
        ASSERT_TRUE(RunApplication(app, Node("QNX", variant))) << err;
        EXPECT_EQ(ov_state.autoscale, c.autoscale) << Text(c.application) << " / " << Text(c.variant);
        EXPECT_EQ(record.parms.multitouch, c.multitouch) << Text(c.application) << " / " << Text(c.variant);
        EXPECT_EQ(Text(ov_state.features), Text(c.application));
        EXPECT_EQ(Text(ov_state.variant_features), Text(c.variant));
    }
    ASSERT_TRUE(RunApplication({{"features", "APP_ONLY"}}, Node("QNX", {{"features", "VARIANT_ONLY,SHOW_FPS"}})));
    EXPECT_TRUE(OVI_ProductFeatureExists("APP_ONLY"));
    EXPECT_TRUE(OVI_ProductFeatureExists("VARIANT_ONLY"));
    EXPECT_TRUE(OVI_ProductFeatureExists("SHOW_FPS"));
    EXPECT_FALSE(OVI_ProductFeatureExists("SHOW"));
}

// The tablet is a large-screen device whatever size its window has: the variant chosen
// never changes with the display or window size.
TEST_F(Settings, TheLargeVariantIsPreferredWhateverTheDisplaySize)
{
    struct Case {
        int w, h;
        std::vector<std::string> nodes;
        const char *chosen;
    } cases[] = {
        {1024, 600, {"QNX", "QNX/LARGE"}, "QNX/LARGE"},
        {1024, 600, {"QNX/LARGE", "QNX"}, "QNX/LARGE"},
        {1024, 600, {"QNX", "QNX/SMALL"}, "QNX"},
        {480, 320, {"QNX", "QNX/LARGE"}, "QNX/LARGE"},
        {800, 480, {"QNX/MEDIUM", "QNX"}, "QNX"},
        {320, 480, {"QNX/LARGE", "QNX/SMALL"}, "QNX/LARGE"},
        {1920, 1080, {"QNX/MEDIUM", "QNX/LARGE"}, "QNX/LARGE"},
    };
    for (const Case &c : cases) {
        std::string variants;
        for (const std::string &id : c.nodes)
            variants += Node(id, {{"name", "Game " + id}, {"version", id}});
        ASSERT_TRUE(Run(Prog(nullptr, nullptr, variants), c.w, c.h)) << err;
        EXPECT_EQ(Text(ov_state.variant), c.chosen) << c.w << "x" << c.h;
        EXPECT_EQ(std::string(record.title), std::string("Game ") + c.chosen);
        EXPECT_FALSE(OVI_ProgramSettingsFailed());
    }
}

TEST_F(Settings, MissingVariantFailsPreInitWithItsMessage)
{
    struct Case {
        int developer_popups;
        const char *verbose;
    } cases[] = {{1, "INFO"}, {0, "INFO"}, {1, "SYSTEM"}, {0, "ERROR"}};
    const std::string message = "No build variant found for current platform id 'QNX'.";
    for (const Case &c : cases) {
        Keys developer = {{"logging_verbose_level", c.verbose}};
        std::string prog = Prog(nullptr, &developer, Node("QNX/SMALL", {}) + Node("LINUX", {}));
        if (ov)
            ORVEX_Shutdown();
        ov = nullptr;
        ResetRecordAndDevice();
        record.parms.developer_mode = (uint8_t)c.developer_popups;
        WriteFile("app/native/prog.xml", prog);
        EXPECT_FALSE(PreInitCapturingStderr(&err)) << c.verbose;
        EXPECT_TRUE(OVI_ProgramSettingsFailed());
        size_t first = err.find(message);
        ASSERT_NE(first, std::string::npos) << err;
        EXPECT_EQ(err.find(message, first + 1), std::string::npos) << "printed once: " << err;
        EXPECT_NE(err.find("Use force_variant to use another platform for development purposes."), std::string::npos);
        EXPECT_EQ(ov_state.variant, nullptr);
    }
}

TEST_F(Settings, ImplementationNamesGetTheirSuffix)
{
    struct Case {
        const char *given;
        const char *stored;
    } cases[] = {{"ri_gles", "ri_gles.dll"}, {"ri_gles.dll", "ri_gles.dll"}, {nullptr, "ri_d3d8.dll"}};
    for (const Case &c : cases) {
        Keys variant = {{"input_implementations", "in_touch"}, {"sound_implementation", "si_qnx.dll"}};
        if (c.given)
            variant.push_back({"renderer_implementation", c.given});
        ASSERT_TRUE(RunApplication({}, Node("QNX", variant))) << err;
        EXPECT_EQ(Text(ov_state.renderer_implementation), c.stored);
        EXPECT_EQ(Text(ov_state.input_implementations), "in_touch.dll");
        EXPECT_EQ(Text(ov_state.sound_implementation), "si_qnx.dll");
    }
}

TEST_F(Settings, ManifestPutsTheLastListedFirst)
{
    WriteFile("app/native/a.xml", Document(Array("MA", Node("both", {{"from", "a"}}) + Node("only_a", {{"from", "a"}})) +
                                           Array("MA2", Node("hidden", {}))));
    WriteFile("app/native/b.xml", Document(Array("MB", Node("both", {{"from", "b"}}))));
    struct Case {
        const char *manifest;
        std::vector<std::string> arrays;
    } cases[] = {
        {"a.xml,b.xml", {"MB", "MA"}},
        {"b.xml,a.xml", {"MA", "MB"}},
        {"a.xml,", {"MA"}},
        {"missing.xml,b.xml", {"MB"}},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(RunApplication({}, Node("QNX", {{"manifest", c.manifest}}))) << err;
        std::vector<std::string> ids;
        for (int i = 0; i < ov_dman.GetNumberOfManifestArrays(); i++)
            ids.push_back(ov_dman.GetManifestArray(i)->id);
        EXPECT_EQ(ids, c.arrays) << c.manifest;
        const char *from = ids[0] == "MB" ? "b" : "a";
        ASSERT_NE(OVI_GetDataManifestNode("both"), nullptr);
        EXPECT_STREQ(OVI_GetDataManifestNode("both")->GetValue("from"), from) << c.manifest;
        EXPECT_EQ(OVI_GetDataManifestNode("hidden"), nullptr);
    }
    ASSERT_TRUE(RunApplication({}, Node("QNX", {{"manifest", std::string(300, 'a')}})));
    EXPECT_EQ(ov_dman.GetNumberOfManifestArrays(), 0);
}

TEST_F(Settings, DeveloperFileReplacesTheDeveloperNode)
{
    Keys prog_developer = {{"developer_mode", "1"}, {"logging_verbose_level", "ERROR"}, {"developer_packages", "dev-prog"}};
    std::string prog = Prog(nullptr, &prog_developer, Node("QNX", {}));

    // prog.xml alone: its node, with its packages in developer mode.
    ASSERT_TRUE(Run(prog)) << err;
    EXPECT_EQ(ov_state.verbose_level, 2);
    EXPECT_EQ(Text(ov_state.developer_packages), "dev-prog");

    // developer.xml with a DEVELOPER node hides prog.xml's node entirely.
    WriteFile("app/native/developer.xml",
              Document(Array("PARAMETERS", Node("DEVELOPER", {{"developer_mode", "1"}, {"console", "1"}}))));
    ASSERT_TRUE(Run(prog)) << err;
    EXPECT_EQ(ov_state.verbose_level, 0);
    EXPECT_EQ(ov_state.console, 1);
    EXPECT_EQ(ov_state.developer_packages, nullptr);

    // developer.xml without that node leaves prog.xml's in force.
    WriteFile("app/native/developer.xml", Document(Array("PARAMETERS", Node("OTHER", {{"console", "1"}}))));
    ASSERT_TRUE(Run(prog)) << err;
    EXPECT_EQ(ov_state.verbose_level, 2);
    EXPECT_EQ(ov_state.console, 0);

    // Packages of the developer node are read only in developer mode.
    remove("app/native/developer.xml");
    Keys off = {{"developer_mode", "0"}, {"developer_packages", "dev-prog"}};
    ASSERT_TRUE(Run(Prog(nullptr, &off, Node("QNX", {})))) << err;
    EXPECT_EQ(ov_state.developer_packages, nullptr);
}

namespace {
std::string g_language;
bool g_language_null = true;
const char *LanguageStandIn(const char *command, const char *argument)
{
    if (std::string(command) != "GetLanguage" || g_language_null)
        return nullptr;
    return g_language.c_str();
}
}  // namespace

TEST_F(Settings, LocaleAutoAsksThePlatform)
{
    extension_stand_in = LanguageStandIn;
    struct Case {
        const char *application;
        const char *variant;
        bool reply_null;
        const char *reply;
        const char *locale;
    } cases[] = {
        {"auto", nullptr, true, "", "auto"},
        {"auto", nullptr, false, "EN-us", "en"},
        {"auto", nullptr, false, "F", "f"},
        {"auto", nullptr, false, "", ""},
        {"fi_FI", nullptr, false, "EN", "fi_FI"},
        {"fi_FI", "sv", false, "EN", "sv"},
    };
    for (const Case &c : cases) {
        g_language_null = c.reply_null;
        g_language = c.reply;
        Keys app = {{"locale", c.application}}, variant;
        if (c.variant)
            variant.push_back({"locale", c.variant});
        ASSERT_TRUE(RunApplication(app, Node("QNX", variant))) << err;
        EXPECT_EQ(Text(ov_state.locale), c.locale) << c.application << " " << c.reply;
        EXPECT_EQ(record.parms.locale, ov_state.locale);
    }
}

TEST_F(Settings, MissingProgXmlKeepsTheDefaults)
{
    ASSERT_TRUE(Run("")) << err;
    EXPECT_NE(err.find("OV: Cannot find prog.xml. It should be located in res://."), std::string::npos) << err;
    EXPECT_EQ(ov_state.variant, nullptr);
    EXPECT_EQ(ov_state.console, 0);
    EXPECT_EQ(ov_state.console_toggle_key, -89);
    EXPECT_EQ(record.parms.min_frame_ms, 8);
    EXPECT_FALSE(OVI_ProgramSettingsFailed());
}

TEST_F(Settings, IdentityIsCopiedAndCutToItsFields)
{
    std::string long_name(200, 'n'), long_id(40, 'i'), long_version(20, '9'), long_developer(35, 'd');
    ASSERT_TRUE(RunApplication({{"program_id", "my.game"}, {"name", "My Game"}, {"developer", "Studio"}, {"version", "2.1"}}))
        << err;
    EXPECT_STREQ(record.id, "my.game");
    EXPECT_STREQ(record.title, "My Game");
    EXPECT_STREQ(record.developer_name, "Studio");
    EXPECT_STREQ(record.version, "2.1");

    ASSERT_TRUE(RunApplication(
        {{"program_id", long_id}, {"name", long_name}, {"developer", long_developer}, {"version", long_version}}));
    EXPECT_EQ(std::string(record.id), long_id.substr(0, sizeof record.id - 1));
    EXPECT_EQ(std::string(record.title), long_name.substr(0, sizeof record.title - 1));
    EXPECT_EQ(std::string(record.developer_name), long_developer.substr(0, sizeof record.developer_name - 1));
    EXPECT_EQ(std::string(record.version), long_version.substr(0, sizeof record.version - 1));

    ASSERT_TRUE(RunApplication({{"name", "App"}, {"version", "1"}},
                               Node("QNX", {{"name", "Variant"}, {"developer", "Porter"}, {"version", "1-qnx"}})));
    EXPECT_STREQ(record.title, "Variant");
    EXPECT_STREQ(record.developer_name, "Porter");
    EXPECT_STREQ(record.version, "1-qnx");
}

TEST_F(Settings, ConsoleToggleKey)
{
    struct Case {
        const char *key;
        int code;
    } cases[] = {{nullptr, -89}, {"ESCAPE", 27}, {"a", 97}, {"F1", 0}};
    for (const Case &c : cases) {
        Keys developer = {{"console", "1"}};
        if (c.key)
            developer.push_back({"console_toggle_key", c.key});
        ASSERT_TRUE(RunDeveloper(developer)) << err;
        EXPECT_EQ(ov_state.console_toggle_key, c.code) << Text(c.key);
        EXPECT_EQ(ov_con.toggle_key, (uint8_t)(c.code & 0xff)) << Text(c.key);
    }
}

TEST_F(Settings, AudioPackagesAndDeprecatedFormats)
{
    ASSERT_TRUE(RunApplication({}, Node("QNX", {}))) << err;
    EXPECT_EQ(Text(ov_state.music_package), "data-music-MP3_22050_STEREO");
    EXPECT_EQ(Text(ov_state.sfx_package), "data-sfx-WAV_22050_MONO");

    ASSERT_TRUE(RunApplication({}, Node("QNX/LARGE", {{"music_format", "MP3_22050_STEREO"},
                                                      {"sound_fx_format", "@open:OGG_44100"},
                                                      {"addon_packages", "extra"}})))
        << err;
    EXPECT_EQ(Text(ov_state.music_package), "data-music-MP3_22050_STEREO");
    EXPECT_EQ(Text(ov_state.sfx_package), "data-sfx-OGG_44100");
    EXPECT_EQ(Text(ov_state.addon_packages), "extra");
    EXPECT_NE(err.find("OV: prog.xml:QNX defines deprecated 'music_format' parameter 'MP3_22050_STEREO'. Just "
                       "remove it.\n\nThis platform always uses music format 'MP3_22050_STEREO'.\n\nSee "
                       "ORVEX/docs/audio-formats-per-platform.txt for more info."),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("OV: prog.xml:QNX defines deprecated 'sound_fx_format' parameter '@open:OGG_44100' but the "
                       "value differs from platform standard ('WAV_22050_MONO'). To fix the issue:\n1) Remove "
                       "'sound_fx_format' from prog.xml for this variant, and\n2) Add data-sfx-@open:OGG_44100 to "
                       "addon_packages.\n\nSee ORVEX/docs/audio-formats-per-platform.txt for more info."),
              std::string::npos)
        << err;
}

TEST_F(Settings, ResolutionsAndPackages)
{
    ASSERT_TRUE(RunApplication({{"packages", "data-main"}}, Node("QNX", {{"resolutions", "1024x600,1280x720"}}))) << err;
    EXPECT_EQ(Text(ov_state.resolutions), "1024x600,1280x720");
    EXPECT_EQ(Text(ov_state.packages), "data-main");
    EXPECT_NE(err.find("Selected resolution 1024x600\n"), std::string::npos) << err;
}

TEST_F(Settings, ProductValuesPreferTheVariant)
{
    ASSERT_TRUE(RunApplication({{"store_id", "app-store"}, {"both", "app"}},
                               Node("QNX", {{"both", "plain"}}) + Node("QNX/LARGE", {{"both", "variant"}})))
        << err;
    EXPECT_EQ(Text(OVI_GetProductValue("both")), "variant");
    EXPECT_EQ(Text(OVI_GetProductValue("store_id")), "app-store");
    EXPECT_EQ(Text(OVI_GetProductValue("id")), "QNX/LARGE");
    EXPECT_EQ(OVI_GetProductValue("nothing"), nullptr);
    EXPECT_EQ(OVI_GetProductValue(nullptr), nullptr);
}

namespace {
std::string g_variant_in_hook;
void RecordVariant()
{
    g_variant_in_hook = Text(ov_state.variant);
    ov_state.console = 1;
}
}  // namespace

TEST_F(Settings, HookRunsAfterTheSettingsAreRead)
{
    WriteFile("app/native/prog.xml", Prog(nullptr, nullptr, Node("QNX/LARGE", {})));
    OVI_SetProgramSettingsHook(RecordVariant);
    ASSERT_TRUE(PreInitCapturingStderr(&err)) << err;
    EXPECT_EQ(g_variant_in_hook, "QNX/LARGE");
    EXPECT_EQ(ov_state.console, 1);
    EXPECT_TRUE(ov_con.enabled);
}

TEST_F(Settings, ReaderNeedsAnApplicationRecord)
{
    ASSERT_EQ(ov_prog, nullptr);
    EXPECT_EQ(OVI_LoadProgramSettings(), 0);
}

TEST_F(Settings, ShippedProgXmlStartsTheEngine)
{
    std::string shipped = ReadFile(ORVEX_SOURCE_DIR "/content/prog.xml");
    ASSERT_FALSE(shipped.empty());
    for (unsigned char c : shipped)
        ASSERT_LT(c, 0x80) << "plain ASCII, which ISO-8859-1 reads the same";
    struct Case {
        int w, h;
        const char *variant;
    } cases[] = {{1024, 600, "QNX/LARGE"}, {480, 320, "QNX/LARGE"}};
    for (const Case &c : cases) {
        ASSERT_TRUE(Run(shipped, c.w, c.h)) << err;
        EXPECT_EQ(Text(ov_state.variant), c.variant);
        EXPECT_STREQ(record.id, "orvex.game");
        EXPECT_STREQ(record.title, "Orvex Game");
        EXPECT_STREQ(record.developer_name, "Talvik");
        EXPECT_STREQ(record.version, "1.0.0");
        // The UI is laid out for 1024 x 768; the tutorial box and the banners read it back.
        EXPECT_EQ(record.parms.reference_width, 1024);
        EXPECT_EQ(record.parms.reference_height, 768);
        EXPECT_EQ(Text(OVI_GetProductValue("reference_resolution")), "1024x768");
        EXPECT_EQ(Text(ov_state.features), "MOUSE_INTERFACE,ACHIEVEMENTS,LEADERBOARDS,ANALYST,ANALYST_LOCAL_STORE,NEWS");
        EXPECT_TRUE(OVI_ProductFeatureExists("LEADERBOARDS"));
        EXPECT_FALSE(OVI_ProductFeatureExists("TOUCH_SCREEN"));
        EXPECT_EQ(OVI_GetProductValue("locale"), nullptr);
        EXPECT_EQ(ov_state.developer_mode, 0);
        EXPECT_EQ(ov_state.logging, 1);
        EXPECT_EQ(ov_state.verbose_level, 0);
        EXPECT_EQ(ov_state.console, 1);
        EXPECT_TRUE(ov_con.enabled);
        EXPECT_FALSE(OVI_ProgramSettingsFailed());
    }
}
