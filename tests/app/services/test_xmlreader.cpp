// The application's XML tokenizer: blocks, attributes, text runs, comments, escapes,
// entities and every complaint it raises, with the exact message texts.
#include "app/services/xmlreader.h"
#include "tests/app/services/data_fixture.h"

#include <string.h>

#include <string>
#include <vector>

using datatest::CountMessages;
using datatest::DataTest;

namespace {

// A block as text: "name/closing{k=v;k=v}", name "#text" for a text run, "(null)" when
// no block comes back.
std::string Describe(const XMLBlock *b)
{
    if (!b)
        return "(null)";
    std::string s = b->name ? b->name : "#text";
    if (b->closing)
        s += "/";
    s += "{";
    for (int i = 0; i < b->count; i++) {
        if (i)
            s += ";";
        s += std::string(b->attr_names[i]) + "=" + b->attr_values[i];
    }
    return s + "}";
}

// Every block until null, described.
std::vector<std::string> AllBlocks(const std::string &text)
{
    XMLReader reader;
    std::vector<std::string> out;
    if (!reader.OpenFileInMemory(text.data(), (int)text.size()))
        return {"(no open)"};
    for (int i = 0; i < 100000; i++) {
        XMLBlock *b = reader.ReadNextBlock();
        if (!b)
            break;
        out.push_back(Describe(b));
    }
    return out;
}

class XMLReaderTest : public DataTest {};

struct BlockCase {
    const char *label;
    const char *text;
    std::vector<std::string> blocks;
};

const BlockCase kBlockCases[] = {
    {"empty element with blanks around '=' and before the slash", "<node a = \"1\"  b =  \"two words\" />\n",
     {"node/{a=1;b=two words}"}},
    {"opening tag with attribute then its closing tag", "<item v=\"3\"></item>\n", {"item{v=3}", "item/{}"}},
    {"escaped double quotes inside a quoted value", "<n v=\"say \\\"hi\\\" now\"/>\n", {"n/{v=say \"hi\" now}"}},
    {"&amp; followed by quot; and a plain &quot;", "<n v=\"&amp;quot;\" w=\"&quot;x&quot;\"/>\n",
     {"n/{v=&quot;;w=\"x\"}"}},
    {"other entities stay as written", "<n v=\"&lt;&gt;&apos;&#65;\"/>\n", {"n/{v=&lt;&gt;&apos;&#65;}"}},
    {"text keeps its blanks", "<a>  two\twords \n</a>", {"a{}", "#text{DATA=  two\twords \n}", "a/{}"}},
    {"text of blanks only is never returned", "<a> \t\r\n </a>", {"a{}", "a/{}"}},
    {"comment between attributes vanishes", "<n a=\"1\" <!-- note --> b=\"2\"/>\n", {"n/{a=1;b=2}"}},
    {"comments before the first element vanish", "<!-- one --> <!-- two --><r x=\"1\"></r>", {"r{x=1}", "r/{}"}},
    {"quote in text reads markup as text", "<a>say \"x <b/> y\" z</a>", {"a{}", "#text{DATA=say \"x <b/> y\" z}", "a/{}"}},
    {"tag with attributes ending at the last byte gives null", "<n a=\"1\"/>", {"(null)"}},
    {"empty element without attributes at the last byte", "<n/>", {"n/{}"}},
    {"unquoted values end at a blank", "<n a=1 b=two/>\n", {"n/{a=1;b=two}"}},
    {"even backslash run before a quote ends the value", "<n a=\"x\\\\\" b=\"y\"/>\n", {"n/{a=x\\;b=y}"}},
    {"escapes in values", "<n a=\"l\\nc\\rt\\tb\\\\q\\x.\"/>\n", {"n/{a=l\nc\rt\tb\\q.}"}},
    {"text after the last tag is dropped", "<a/>tail", {"a/{}"}},
    {"unterminated tag at the end is dropped", "<a/><b x=\"1\"", {"a/{}"}},
    {"opening followed by one dash and '>' is a complete comment", "<!---><r/>", {"r/{}"}},
};

TEST_F(XMLReaderTest, BlocksOfTheCaseTable)
{
    for (const BlockCase &c : kBlockCases) {
        SCOPED_TRACE(c.label);
        std::vector<std::string> got = AllBlocks(c.text);
        if (c.blocks.size() == 1 && c.blocks[0] == "(null)")
            EXPECT_TRUE(got.empty());
        else
            EXPECT_EQ(got, c.blocks);
    }
}

struct ErrorCase {
    const char *label;
    const char *text;
    const char *message;
};

const ErrorCase kErrorCases[] = {
    {"'>' in text", "<a>x > y</a>",
     "Parsing error (not expecting '>') around line 0 in XML 'FromMem'. Unexpected character '>' (3e) at:\n'> y</a>'\n"},
    {"'<' after '<'", "<r/>\n\n<<a/>",
     "Parsing error (not expecting another '<') around line 2 in XML 'FromMem'. Unexpected character '<' (3c) at:\n'<a/>'\n"},
    {"'>' right after '<'", "<r/><>",
     "Parsing error (not expecting '<' yet) around line 0 in XML 'FromMem'. Unexpected character '>' (3e) at:\n'>'\n"},
    {"comment inside a comment", "<a <!-- x <!-- y --> b=\"1\"/>",
     "Parsing error (New comment block start within a comment block.) around line 0 in XML 'FromMem'. Unexpected "
     "character '<' (3c) at:\n'-- y --> b=\"1\"/>'\n"},
    {"comment to the end of the data", "<a <!-- never ends",
     "Parsing error (Comment block not ended properly.) around line 0 in XML 'FromMem'. Unexpected character ' ' "
     "(20) at:\n's'\n"},
};

TEST_F(XMLReaderTest, ParsingErrorsOfTheCaseTable)
{
    for (const ErrorCase &c : kErrorCases) {
        SCOPED_TRACE(c.label);
        datatest::ClearMessages();
        AllBlocks(c.text);
        EXPECT_EQ(CountMessages(c.message), 1) << datatest::Dump();
        for (const datatest::Message &m : datatest::Messages()) {
            if (m.kind == "popup") {
                EXPECT_EQ(m.level, 1);
            }
        }
    }
}

TEST_F(XMLReaderTest, AttributeWithoutEqualsStopsTheReading)
{
    const std::string text = "<a b c/>\n<d/>";
    EXPECT_EQ(AllBlocks(text), std::vector<std::string>{});
    EXPECT_EQ(CountMessages("XMLReader Parsing Error1 at 8/13\n"), 1) << datatest::Dump();
}

TEST_F(XMLReaderTest, AttributesBeyondTheLimitAreReportedNotStored)
{
    std::string text = "<n";
    for (int i = 0; i < XML_MAX_ATTRIBUTES + 2; i++)
        text += " k" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    text += "/>\n";
    XMLReader reader;
    ASSERT_TRUE(reader.OpenFileInMemory(text.data(), (int)text.size()));
    XMLBlock *b = reader.ReadNextBlock();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->count, XML_MAX_ATTRIBUTES);
    EXPECT_STREQ(b->attr_values[XML_MAX_ATTRIBUTES - 1], "255");
    EXPECT_TRUE(b->closing);
    EXPECT_EQ(CountMessages("Too many blocks (256 limit) in object 'n' in xml 'FromMem'.\n"), 2);
}

TEST_F(XMLReaderTest, OverlongBlockIsCutWithOneErrorAndReadingGoesOn)
{
    std::string text = "<a>" + std::string(XML_MAX_BLOCK + 100, 'x') + "</a><b v=\"1\"/>\n";
    XMLReader reader;
    ASSERT_TRUE(reader.OpenFileInMemory(text.data(), (int)text.size()));
    ASSERT_NE(reader.ReadNextBlock(), nullptr);
    XMLBlock *t = reader.ReadNextBlock();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->name, nullptr);
    EXPECT_EQ(strlen(t->attr_values[0]), (size_t)XML_MAX_BLOCK);
    EXPECT_EQ(datatest::CountContaining("Parsing error (buffer overrun)"), 1);
    EXPECT_EQ(Describe(reader.ReadNextBlock()), "a/{}");
    EXPECT_EQ(Describe(reader.ReadNextBlock()), "b/{v=1}");
    EXPECT_GT(reader.GetErrorCount(), 0);
}

TEST_F(XMLReaderTest, ValuesOfThousandsOfCharactersReadWhole)
{
    std::string value(6000, 'v');
    std::string text = "<n a=\"" + value + "\" b=\"2\"/>\n";
    std::vector<std::string> blocks = AllBlocks(text);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], "n/{a=" + value + ";b=2}");
}

TEST_F(XMLReaderTest, OpeningFilesAndMemory)
{
    ASSERT_TRUE(WriteNative(ResPath("bom.xml"), "\xEF\xBB\xBF<root/>"));
    ASSERT_TRUE(WriteNative(ResPath("blank.xml"), " \t\r\n"));
    ASSERT_TRUE(WriteNative(ResPath("empty.xml"), ""));
    ASSERT_TRUE(WriteNative(ResPath("good.xml"), "\n  <root/>"));
    XMLReader reader;
    EXPECT_FALSE(reader.OpenFile("res://bom.xml"));
    EXPECT_EQ(CountMessages("First non-whitespace char in XML document needs to be '<'. First char in 'res://bom.xml' "
                            "is #239 '\xEF'. Note: UTF8 BOM is not supported.\n"),
              1);
    EXPECT_FALSE(reader.OpenFile(nullptr));
    EXPECT_FALSE(reader.OpenFile(""));
    EXPECT_FALSE(reader.OpenFile("res://missing.xml"));
    for (const char *blank : {"res://blank.xml", "res://empty.xml"}) {
        SCOPED_TRACE(blank);
        EXPECT_TRUE(reader.OpenFile(blank));
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    }
    EXPECT_TRUE(reader.OpenFile("good.xml"));  // along the search paths
    EXPECT_STREQ(reader.GetFileName(), "good.xml");
    EXPECT_EQ(Describe(reader.ReadNextBlock()), "root/{}");
    EXPECT_TRUE(reader.EndOfFile());
    EXPECT_TRUE(reader.OpenFile(ResPath("good.xml").c_str(), true));
    EXPECT_EQ(Describe(reader.ReadNextBlock()), "root/{}");
    reader.CloseFile();
    EXPECT_EQ(reader.GetFileName(), nullptr);
    EXPECT_EQ(reader.GetDepth(), 0);

    EXPECT_FALSE(reader.OpenFileInMemory("<x>", 3));
    EXPECT_TRUE(reader.OpenFileInMemory("abc<x/>", 7));  // no first-character check
    EXPECT_STREQ(reader.GetFileName(), "FromMem");
}

struct UnescapeCase {
    const char *in;
    const char *out;
};

const UnescapeCase kUnescapeCases[] = {
    {"a\\nb", "a\nb"}, {"\\r\\t", "\r\t"},  {"\\\"q\\\"", "\"q\""}, {"\\\\\\\\", "\\\\"},
    {"x\\qy", "xy"},   {"end\\", "end"},    {"", ""},                {"plain", "plain"},
};

TEST_F(XMLReaderTest, UnescapingTable)
{
    for (const UnescapeCase &c : kUnescapeCases) {
        SCOPED_TRACE(c.in);
        std::string s = c.in;
        std::vector<char> buf(s.begin(), s.end());
        buf.push_back('\0');
        XMLReader::FormattedStringToBinaryString(buf.data());
        EXPECT_STREQ(buf.data(), c.out);
    }
}

TEST_F(XMLReaderTest, EntitiesAreDecodedInValuesOfAnyLength)
{
    std::string s = std::string(700, 'a') + "&quot;&amp;&amp;quot;";
    std::vector<char> buf(s.begin(), s.end());
    buf.push_back('\0');
    XMLReader::ParseXMLEntities(buf.data());
    EXPECT_EQ(std::string(buf.data()), std::string(700, 'a') + "\"&&quot;");
}

TEST_F(XMLReaderTest, OnlyWhitespace)
{
    EXPECT_TRUE(XMLReader::OnlyWhitespace(""));
    EXPECT_TRUE(XMLReader::OnlyWhitespace(" \t\r\n"));
    EXPECT_FALSE(XMLReader::OnlyWhitespace(" x "));
    EXPECT_FALSE(XMLReader::OnlyWhitespace("\v"));
}

}  // namespace
