// Localisation: inactive identity and default formatting, a fixture language file
// (translations, use counts, formatting keys, escapes), the new-strings file written at
// once for a missing key, and the developer report at shutdown.
#include "app/services/localization.h"
#include "tests/app/services/data_fixture.h"

#include <sys/stat.h>

using datatest::CountMessages;
using datatest::DataTest;

namespace {

const char kLanguage[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<root>\n"
    "<array id=\"STRINGS\">\n"
    " <node id=\"Play\" to=\"Spielen\" />\n"
    " <String from=\"Quit\" to=\"Beenden\" id=\"ignored\" />\n"
    " <node id=\"TIME_FORMAT\" to=\"HH.MM.SS\" />\n"
    " <node id=\"THOUSANDS_SEPARATOR\" to=\"\" />\n"
    " <node id=\"Slash\" to=\"a\\\\\\\\b\" />\n"
    " <node id=\"Lines\" to=\"one\\\\ntwo &amp; \\\"three\\\"\" />\n"
    " <other id=\"Skipped\" to=\"x\" />\n"
    "</array>\n"
    "</root>\n";

class LocalizationTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        datatest::Record().parms.locale = nullptr;
    }
    void TearDown() override
    {
        loc_man().Shutdown();
        datatest::Record().parms.locale = nullptr;
        DataTest::TearDown();
    }
    // Writes the language file of the language "xx" and activates it.
    void Activate(const char *language_file)
    {
        mkdir(ResPath("data-xx").c_str(), 0755);
        if (language_file) {
            ASSERT_TRUE(WriteNative(ResPath("data-xx/language.xml"), language_file));
        }
        datatest::Record().parms.locale = "xx";
    }
    std::string NewStrings() { return ReadNative(UserPath("language-new-strings.xml")); }
};

TEST_F(LocalizationTest, InactiveIsTheIdentityWithDefaultFormats)
{
    ASSERT_TRUE(loc_man().Initialize());
    EXPECT_FALSE(loc_man().IsActive());
    const char *key = "Some key";
    EXPECT_EQ(loc_man().Localize(key), key);
    const char *at = "@x";
    EXPECT_EQ(loc_man().Localize(at), at);
    struct {
        int number;
        const char *text;
    } numbers[] = {{1234567, "1,234,567"}, {-1234, "-1,234"}, {-123, "-123"}, {0, "0"}, {999, "999"},
                   {1000, "1,000"}, {-2147483647 - 1, "-2,147,483,648"}};
    for (auto &c : numbers)
        EXPECT_STREQ(loc_man().LocalizeNumber(c.number), c.text) << c.number;
    EXPECT_STREQ(loc_man().LocalizeTime(3725000), "01:02:05");
    EXPECT_STREQ(loc_man().LocalizeTime(65000), "01:05");
    EXPECT_STREQ(loc_man().LocalizeTime(100u * 3600000u), "100:00:00");
    loc_man().LocalizeNewLine();
    loc_man().LocalizeComment("c");
    EXPECT_EQ(loc_man().GetNumberOfEntries(), 0);
    EXPECT_FALSE(ExistsNative(UserPath("language-new-strings.xml")));
}

TEST_F(LocalizationTest, FourResultBuffersStayValidTogether)
{
    const char *a = loc_man().LocalizeNumber(1);
    const char *b = loc_man().LocalizeNumber(22);
    const char *c = loc_man().LocalizeNumber(333);
    const char *d = loc_man().LocalizeNumber(4444);
    EXPECT_STREQ(a, "1");
    EXPECT_STREQ(b, "22");
    EXPECT_STREQ(c, "333");
    EXPECT_STREQ(d, "4,444");
}

TEST_F(LocalizationTest, ActiveTranslatesCountsAndAppliesTheFormattingKeys)
{
    Activate(kLanguage);
    ASSERT_TRUE(loc_man().Initialize());
    EXPECT_TRUE(loc_man().IsActive());
    EXPECT_EQ(CountMessages("Initializing language translation.\n"), 1);
    EXPECT_STREQ(loc_man().Localize("Play"), "Spielen");
    EXPECT_STREQ(loc_man().Localize("Play"), "Spielen");
    EXPECT_STREQ(loc_man().GetEntryKey(0), "Play");
    EXPECT_EQ(loc_man().GetEntryUseCount(0), 2);
    EXPECT_STREQ(loc_man().Localize("Quit"), "Beenden");  // "to" ends the attribute scan
    EXPECT_STREQ(loc_man().Localize("Slash"), "a\\b");   // four backslashes read as one
    EXPECT_STREQ(loc_man().Localize("Lines"), "one\ntwo & \"three\"");
    EXPECT_STREQ(loc_man().LocalizeTime(3725000), "01.02.05");
    EXPECT_STREQ(loc_man().LocalizeTime(65000), "01.05");
    EXPECT_STREQ(loc_man().LocalizeNumber(1234567), "1234567");
    EXPECT_EQ(loc_man().Localize("@anything"), nullptr);
    const char *empty = "", *space = " ";
    EXPECT_EQ(loc_man().Localize(empty), empty);
    EXPECT_EQ(loc_man().Localize(space), space);
    EXPECT_EQ(loc_man().Localize(nullptr), nullptr);
    EXPECT_FALSE(ExistsNative(UserPath("language-new-strings.xml")));  // nothing missing so far
}

// The new-strings file is replaced whole like every other file; a write that fails is
// an error line, leaves no sibling behind, and the key is still translated.
TEST_F(LocalizationTest, NewStringsFileThatCannotBeWrittenIsReported)
{
    Activate(kLanguage);
    ASSERT_TRUE(loc_man().Initialize());
    ASSERT_EQ(mkdir(UserPath("language-new-strings.xml").c_str(), 0755), 0);
    EXPECT_STREQ(loc_man().Localize("Missing"), "Missing");
    EXPECT_EQ(CountMessages("Unable to save 'user://language-new-strings.xml': Is a directory\n"), 1)
        << datatest::Dump();
    EXPECT_FALSE(ExistsNative(UserPath("language-new-strings.xml.tmp")));
    rmdir(UserPath("language-new-strings.xml").c_str());
    EXPECT_STREQ(loc_man().Localize("Another"), "Another");
    std::string text = NewStrings();
    EXPECT_NE(text.find("id = \"Missing\""), std::string::npos) << text;
    EXPECT_NE(text.find("id = \"Another\""), std::string::npos) << text;
}

TEST_F(LocalizationTest, MissingKeyIsReturnedAndWrittenAtOnce)
{
    Activate(kLanguage);
    ASSERT_TRUE(loc_man().Initialize());
    int before = loc_man().GetNumberOfEntries();
    const char *key = "Press \"Start\"\tnow";
    EXPECT_STREQ(loc_man().Localize(key), key);
    EXPECT_EQ(loc_man().GetNumberOfEntries(), before + 1);
    EXPECT_EQ(loc_man().GetEntryUseCount(before), 1);
    EXPECT_EQ(NewStrings(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root>\n<array id=\"STRINGS\">\n"
              " <node\n  id = \"Press \\\"Start\\\"\\tnow\"\n  to = \"Press \\\"Start\\\"\\tnow\" />\n"
              "\n\n <!-- 3 ref words in total. -->\n <!-- 1 ref strings in total. -->\n</array>\n</root>\n");
    EXPECT_STREQ(loc_man().Localize(key), key);  // now known: no second entry
    EXPECT_EQ(loc_man().GetNumberOfEntries(), before + 1);
    EXPECT_EQ(loc_man().GetEntryUseCount(before), 2);
}

TEST_F(LocalizationTest, MissingFormattingKeysCommentsAndSeparatorsInTheNewStringsFile)
{
    Activate("<?xml version=\"1.0\"?>\n<root>\n<array id=\"STRINGS\">\n</array>\n</root>\n");
    ASSERT_TRUE(loc_man().Initialize());
    loc_man().LocalizeComment("Main menu");
    loc_man().LocalizeComment("Main menu");
    loc_man().LocalizeNewLine();
    loc_man().Localize("New Game");
    EXPECT_EQ(NewStrings(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root>\n<array id=\"STRINGS\">\n"
                            "\n"
                            " <node\n  id = \"THOUSANDS_SEPARATOR\"\n  to = \",\" />\n"
                            "\n"
                            " <node\n  id = \"TIME_FORMAT\"\n  to = \"HH:MM:SS\" />\n"
                            " <!-- Main menu -->\n"
                            "\n"
                            " <node\n  id = \"New Game\"\n  to = \"New Game\" />\n"
                            "\n\n <!-- 4 ref words in total. -->\n <!-- 7 ref strings in total. -->\n</array>\n"
                            "</root>\n");
    EXPECT_STREQ(loc_man().LocalizeNumber(-1234), "-1,234");
    EXPECT_STREQ(loc_man().LocalizeTime(3725000), "01:02:05");
}

TEST_F(LocalizationTest, ShortTimeFormatKeepsColons)
{
    Activate("<?xml?>\n<root>\n<node id=\"TIME_FORMAT\" to=\"H:\" />\n<node id=\"THOUSANDS_SEPARATOR\" to=\". \" />\n"
             "</root>\n");
    ASSERT_TRUE(loc_man().Initialize());
    EXPECT_STREQ(loc_man().LocalizeTime(3725000), "01:02:05");
    EXPECT_STREQ(loc_man().LocalizeNumber(1234567), "1.234.567");
}

TEST_F(LocalizationTest, MissingLanguageFileRecordsEveryKey)
{
    Activate(nullptr);
    ASSERT_TRUE(loc_man().Initialize());
    EXPECT_EQ(CountMessages("Language file not found.\n"), 1);
    EXPECT_TRUE(loc_man().IsActive());
    EXPECT_STREQ(loc_man().Localize("Hello"), "Hello");
    EXPECT_NE(NewStrings().find("id = \"Hello\""), std::string::npos);
}

TEST_F(LocalizationTest, LanguageFileWithoutBlocksFails)
{
    Activate("   \n");
    EXPECT_FALSE(loc_man().Initialize());
}

TEST_F(LocalizationTest, ShutdownReportsUnusedTranslationsInDeveloperMode)
{
    Activate(kLanguage);
    ASSERT_TRUE(loc_man().Initialize());
    loc_man().Localize("Play");
    const char *kept = loc_man().Localize("Quit");
    loc_man().Shutdown();
    EXPECT_FALSE(loc_man().IsActive());
    EXPECT_EQ(CountMessages("LocalizationManager::Shutdown\n"), 1);
    EXPECT_EQ(CountMessages("Translation #0: 'Play' never used.\n"), 0);
    EXPECT_EQ(CountMessages("Translation #4: 'Slash' never used.\n"), 1);
    EXPECT_EQ(CountMessages("Translation #5: 'Lines' never used.\n"), 1);
    EXPECT_STREQ(kept, "Beenden");  // texts stay valid after shutdown
    const char *key = "Play";
    EXPECT_EQ(loc_man().Localize(key), key);
}

TEST_F(LocalizationTest, EscapeConversionTables)
{
    struct Case {
        const char *plain;
        const char *converted;
    } both[] = {{"say \"hi\"", "say \\\"hi\\\""}, {"a\nb\rc\td", "a\\nb\\rc\\td"}, {"back\\slash", "back\\\\slash"},
                {"", ""}};
    for (const Case &c : both) {
        SCOPED_TRACE(c.plain);
        EXPECT_STREQ(LOC_StringConverted(c.plain), c.converted);
        EXPECT_STREQ(LOC_StringDeconverted(c.converted), c.plain);
    }
    EXPECT_STREQ(LOC_StringConverted("keep \\n \\t \\r"), "keep \\n \\t \\r");
    EXPECT_STREQ(LOC_StringDeconverted("drop\\q me"), "drop me");
    EXPECT_STREQ(LOC_StringDeconverted("end\\"), "end");
    EXPECT_STREQ(LOC_StringConverted(nullptr), "");
    std::string longer(5000, 'x');
    EXPECT_EQ(std::string(LOC_StringDeconverted(LOC_StringConverted((longer + "\n").c_str()))), longer + "\n");
}

TEST_F(LocalizationTest, LoremIpsum)
{
    EXPECT_STREQ(LocalizationManager::GenerateLoremIpsum(4).Get(), "|#ffff00|Lorem|#ffffff|");
    EXPECT_STREQ(LocalizationManager::GenerateLoremIpsum(20).Get(), "|#ffff00|Lorem ips|#ffffff|");
    EXPECT_STREQ(LocalizationManager::GenerateLoremIpsum(-3).Get(), "|#ffff00||#ffffff|");
}

}  // namespace
