// Database files: the written XML layout byte for byte, random databases written and
// read back identical, the XML loader's handling of odd input, and the CSV reader.
#include "app/services/csvreader.h"
#include "app/services/dataman.h"
#include "tests/app/services/data_fixture.h"

#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>

using datatest::CountMessages;
using datatest::DataTest;

namespace {

class DbFilesTest : public DataTest {
protected:
    std::string Format(const DMDatabase &db)
    {
        size_t length = 0;
        char *text = db.FormatXML(&length);
        std::string s(text, length);
        free(text);
        return s;
    }
    // Writes the text as a res:// file and loads it into a fresh database.
    void LoadText(DMDatabase &db, const std::string &file, const std::string &text)
    {
        ASSERT_TRUE(WriteNative(ResPath(file), text));
        ASSERT_TRUE(db.Load(("res://" + file).c_str()));
    }
};

// Arrays, nodes and pairs as one text, for comparing a database with its copy.
std::string Shape(const DMDatabase &db)
{
    std::string s;
    for (int a = 0; a < db.GetNumberOfArrays(); a++) {
        DMArray *array = db.GetArray(a);
        s += "[" + std::string(array->id ? array->id : "(null)") + "]";
        for (int n = 0; n < array->GetSize(); n++) {
            DMNode *node = array->GetNode(n);
            s += "{" + std::string(node->id ? node->id : "(null)");
            for (int p = 0; p < node->count; p++)
                s += "|" + std::string(node->pairs[p].key) + "=" + node->pairs[p].value;
            s += "}";
        }
    }
    return s;
}

const char kHead[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";

TEST_F(DbFilesTest, TwoPairNodeLayout)
{
    DMDatabase db;
    db.SetValue("A", "n1", "v", "x");
    EXPECT_EQ(Format(db), std::string(kHead) +
                              "\n"
                              "\t<array id=\"A\">\n"
                              "\t\t<node id=\"n1\" v=\"x\" />\n"
                              "\t</array>\n"
                              "</root>\n");
    DMDatabase copy;
    LoadText(copy, "two.xml", Format(db));
    EXPECT_EQ(Shape(copy), Shape(db));
}

TEST_F(DbFilesTest, SixPairNodeLayout)
{
    DMDatabase db;
    for (const char *k : {"b", "c", "d", "e", "f"})
        db.SetValue("A", "n", k, k);
    db.SetValue("A", "m", "z", "1");
    EXPECT_EQ(Format(db), std::string(kHead) +
                              "\n"
                              "\t<array id=\"A\">\n"
                              "\t\t<node id=\"n\" \n\t\t b=\"b\" \n\t\t c=\"c\" \n\t\t d=\"d\" \n\t\t e=\"e\" \n\t\t "
                              "f=\"f\" \n\t\t />\n"
                              "\n"
                              "\t\t<node id=\"m\" z=\"1\" />\n"
                              "\t</array>\n"
                              "</root>\n");
    DMDatabase copy;
    LoadText(copy, "six.xml", Format(db));
    EXPECT_EQ(Shape(copy), Shape(db));
}

TEST_F(DbFilesTest, EscapedIdsAndValuesAndNullIdArray)
{
    DMDatabase db;
    db.SetValue("a\"b", "q\"&\\", "v", "line\nfeed\r\ttab &quot; \\n");
    db.AddArray(nullptr);
    DMArray *csv = new DMArray;
    db.arrays.InsertLast(csv);
    EXPECT_EQ(Format(db), std::string(kHead) +
                              "\n\t<array id=\"a\\\"b\">\n"
                              "\t\t<node id=\"q\\\"&amp;\\\\\" v=\"line\\nfeed\\r\\ttab &amp;quot; \\\\n\" />\n"
                              "\t</array>\n"
                              "\n\t<array id=\"\">\n\t</array>\n"
                              "\n\t<array>\n\t</array>\n"
                              "</root>\n");
    DMDatabase copy;
    LoadText(copy, "esc.xml", Format(db));
    EXPECT_EQ(Shape(copy), Shape(db));
}

TEST_F(DbFilesTest, UnwritableKeysAreLeftOutWithAPopup)
{
    DMDatabase db;
    DMNode *node = db.AddArray("A")->AddNode("n");
    const char *bad[] = {"", "a b", "a=b", "a\"b", "a<b", "a>b", "a/b", "a\tb"};
    for (const char *k : bad)
        node->AppendPair(k, "v");
    node->AppendPair("ok", "1");
    std::string text = Format(db);
    EXPECT_NE(text.find("\t\t<node id=\"n\" ok=\"1\" />\n"), std::string::npos) << text;
    for (const char *k : bad)
        EXPECT_EQ(CountMessages(std::string("Skipping key '") + k + "' of node 'n': not writable.\n"), 1) << k;
}

// Random databases: keys from a safe alphabet, values of bytes 1-255 rich in quotes,
// backslashes, entities, comment openings and line breaks, up to 5000 characters.
TEST_F(DbFilesTest, RandomDatabasesReadBackIdentical)
{
    std::mt19937 rng(20240611);
    const char *pieces[] = {"\"", "\\", "&quot;", "&amp;", "<!--", "-->", "\n", "\r\n", "\t", " ", "<", ">", "/>", "=",
                            "\\\"", "&", "\\n"};
    auto value = [&](size_t max) {
        std::string v;
        size_t length = rng() % (max + 1);
        while (v.size() < length) {
            if (rng() % 3 == 0)
                v += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
            else
                v += (char)(1 + rng() % 255);
        }
        return v.substr(0, max);
    };
    const std::string key_chars = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-:!?#$%()[]{}";
    auto key = [&]() {
        std::string k;
        int n = 1 + rng() % 12;
        for (int i = 0; i < n; i++)
            k += key_chars[rng() % key_chars.size()];
        return k;
    };
    for (int round = 0; round < 30; round++) {
        SCOPED_TRACE(round);
        DMDatabase db;
        int arrays = 1 + rng() % 4;
        for (int a = 0; a < arrays; a++) {
            DMArray *array = db.AddArray(value(40).c_str());
            int nodes = rng() % 6;
            for (int n = 0; n < nodes; n++) {
                DMNode *node = array->AddNode(nullptr);
                int pairs = rng() % 9;
                for (int p = 0; p < pairs; p++) {
                    std::string k = key(), v = value(rng() % 4 == 0 ? 5000 : 60);
                    if (k == "id")
                        k = "idx";
                    node->AppendPair(k.c_str(), v.c_str());
                }
                if (rng() % 2) {
                    std::string id = value(30);
                    node->AppendPair("id", id.c_str());
                    node->id = strdup(id.c_str());
                }
            }
        }
        DMDatabase copy;
        std::string file = "random" + std::to_string(round) + ".xml";
        LoadText(copy, file, Format(db));
        EXPECT_EQ(Shape(copy), Shape(db));
        EXPECT_FALSE(copy.HadParseError());
    }
    EXPECT_EQ(datatest::CountContaining("Parsing error"), 0);
}

TEST_F(DbFilesTest, LoaderSkipsWhatIsNotANodeAndReadsText)
{
    DMDatabase db;
    LoadText(db, "odd.xml",
             "<?xml version=\"1.0\"?>\n<root>\n"
             "<array id=\"A\">\n"
             "  stray text\n"
             "  <other x=\"1\"/>\n"
             "  <node id=\"a\" k=\"1\"></node>\n"
             "  <node id=\"t\">some text</node>\n"
             "  <other><node id=\"b\"/></other>\n"
             "</array>\n"
             "<array/>\n"
             "<array>\n<node v=\"1\"/>\n</array>\n"
             "</root>\n");
    EXPECT_EQ(Shape(db), "[A]{a|id=a|k=1}{(null)}{t|id=t|DATA=some text}{b|id=b}[(null)]{(null)|v=1}");
    EXPECT_EQ(CountMessages("2 Arrays loaded with total 5 nodes.\n"), 1);
    EXPECT_FALSE(db.HadParseError());
}

TEST_F(DbFilesTest, ArrayBeforeTheSecondBlockIsLost)
{
    DMDatabase db;
    LoadText(db, "early.xml", "<array id=\"A\"><node id=\"x\"/></array><array id=\"B\"><node id=\"y\"/></array>\n");
    EXPECT_EQ(Shape(db), "[B]{y|id=y}");
}

TEST_F(DbFilesTest, DamagedFilesAreReportedAsParseErrors)
{
    struct Case {
        const char *label;
        const char *text;
        const char *message;
    } cases[] = {
        {"node at the end of the data", "<?xml?>\n<root>\n<array id=\"A\">\n<node id=\"a\"/>\n",
         "Error parsing file 'res://cut.xml'\n"},
        {"array cut short", "<?xml?>\n<root>\n<array id=\"A\">\n", nullptr},
        {"tag cut short", "<?xml?>\n<root>\n<array id=\"A\">\n</array>\n</ro", nullptr},
        {"not XML", "garbage", "XML Array File 'res://cut.xml' not found!\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        datatest::ClearMessages();
        ASSERT_TRUE(WriteNative(ResPath("cut.xml"), c.text));
        DMDatabase db;
        db.Load("res://cut.xml");
        EXPECT_TRUE(db.HadParseError());
        if (c.message) {
            EXPECT_EQ(CountMessages(c.message), 1) << datatest::Dump();
        }
    }
    DMDatabase whole;
    LoadText(whole, "whole.xml", "<?xml?>\n<root>\n<array id=\"A\">\n</array>\n</root>\n");
    EXPECT_FALSE(whole.HadParseError());
}

TEST_F(DbFilesTest, LoadAndSaveNamesAndEndings)
{
    DMDatabase db;
    EXPECT_FALSE(db.Load("a.x"));
    EXPECT_STREQ(db.name, "a.x");
    EXPECT_FALSE(db.Load(nullptr));
    EXPECT_STREQ(db.name, "");
    ASSERT_TRUE(WriteNative(ResPath("upper.XML"), "<?xml?>\n<root>\n<array id=\"U\"></array>\n</root>\n"));
    ASSERT_TRUE(WriteNative(ResPath("data.DAT"), "<?xml?>\n<root>\n<array id=\"D\"></array>\n</root>\n"));
    EXPECT_TRUE(db.Load("res://upper.XML"));
    EXPECT_TRUE(db.Load("res://data.DAT"));
    EXPECT_EQ(Shape(db), "[U][D]");
    EXPECT_FALSE(db.Save(nullptr));
    EXPECT_FALSE(db.Save("a.x"));
    EXPECT_FALSE(db.Save("user://save.dat"));
    EXPECT_EQ(CountMessages("Unknown database file type 'user://save.dat'.\nSupported formats are: .csv .xml"), 1);
    EXPECT_FALSE(db.Save("user://save.csv"));
    EXPECT_EQ(datatest::Messages().size(), 4u) << datatest::Dump();  // two loads' lines and two popups
}

// --- CSV

TEST_F(DbFilesTest, CsvTwoColumnsTwoRecords)
{
    for (const char *text : {"name;hp\ntank;300\njeep;90\n", "name;hp\r\ntank;300\r\njeep;90\r\n"}) {
        SCOPED_TRACE(text);
        DMDatabase db;
        LoadText(db, "units.csv", text);
        EXPECT_EQ(Shape(db), "[(null)]{(null)|name=tank|hp=300}{(null)|name=jeep|hp=90}");
        EXPECT_EQ(CountMessages("1 CSV Arrays loaded with total 2 nodes.\n"), 1);
        datatest::ClearMessages();
    }
}

TEST_F(DbFilesTest, CsvEdgeCases)
{
    struct Case {
        const char *label;
        const char *text;
        const char *shape;
    } cases[] = {
        {"last field of one digit without a line feed", "a;b\nx;1", "[(null)]{(null)|a=x|b=}"},
        {"last field of two digits without a line feed", "a;b\nx;12", "[(null)]{(null)|a=x|b=12}"},
        {"fields are taken in turn across lines", "a;b\n1\n2;3;4\n", "[(null)]{(null)|a=1|b=2}{(null)|a=3|b=4}"},
        {"trailing empty line makes an empty node", "a;b\nx;y\n\n", "[(null)]{(null)|a=x|b=y}{(null)|a=|b=}"},
        {"no columns reads nothing", "abc", "[(null)]"},
        {"header only", "a;b\n", "[(null)]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        DMDatabase db;
        LoadText(db, "edge.csv", c.text);
        EXPECT_EQ(Shape(db), c.shape);
    }
    DMDatabase missing;
    EXPECT_FALSE(missing.Load("res://none.csv"));
    EXPECT_EQ(CountMessages("CSV Array File 'res://none.csv' not found!\n"), 1);
}

TEST_F(DbFilesTest, CsvReaderCalls)
{
    ASSERT_TRUE(WriteNative(ResPath("r.csv"), "one;two;three\n7;2.5;" + std::string(600, 'z') + "\n"));
    CSVReader reader;
    char buf[8];
    EXPECT_EQ(reader.ReadNextAsString(buf, sizeof buf), nullptr);  // nothing open
    ASSERT_TRUE(reader.OpenFile("res://r.csv"));
    EXPECT_EQ(reader.GetNumberOfColumns(), 3);
    EXPECT_STREQ(reader.GetColumnName(2), "three");
    EXPECT_EQ(reader.GetColumnName(3), nullptr);
    EXPECT_EQ(reader.GetColumnName(-1), nullptr);
    EXPECT_EQ(reader.ReadNextAsString(nullptr, 8), nullptr);
    EXPECT_EQ(reader.ReadNextAsString(buf, 0), nullptr);
    EXPECT_EQ(reader.ReadNextAsInt(), 7);
    EXPECT_FLOAT_EQ(reader.ReadNextAsFloat(), 2.5f);
    EXPECT_STREQ(reader.ReadNextAsString(buf, sizeof buf), "zzzzzzz");  // cut to the buffer
    EXPECT_TRUE(reader.EndOfFile());
    EXPECT_EQ(reader.ReadNextAsInt(), 0);
    reader.CloseFile();
    EXPECT_EQ(reader.GetNumberOfColumns(), 0);
    EXPECT_FALSE(reader.OpenFile("res://none.csv"));
}

}  // namespace
