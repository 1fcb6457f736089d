// The engine XML tokenizer: block normalisation, attributes and escapes, the
// attribute limit, comments, the byte-order-mark refusal and the parsing complaints.
#include "tests/core/data/data_fixture.h"

#include "core/data/xml-reader.h"

#include <string>
#include <vector>

using namespace datatest;

namespace {

// A block as text: "<name k=v .../>" (the slash for a self-closing tag), "</name>"
// for an end tag, "TEXT[...]" for text.
std::string Describe(const ov_xml_block_t *b)
{
    if (!b->name)
        return std::string("TEXT[") + b->attr_values[0] + "]";
    std::string s = b->end_tag ? "</" : "<";
    s += b->name;
    for (int i = 0; i < b->count; i++)
        s += std::string(" ") + b->attr_names[i] + "=" + b->attr_values[i];
    if (b->closing && !b->end_tag)
        s += "/";
    return s + ">";
}

std::vector<std::string> Blocks(const std::string &xml)
{
    OV_XMLReader reader;
    std::vector<std::string> out;
    if (!reader.OpenFileInMemory(xml.data(), (int)xml.size()))
        return {"<not opened>"};
    while (ov_xml_block_t *b = reader.ReadNextBlock())
        out.push_back(Describe(b));
    return out;
}

class XmlReader : public EngineUp {};

}  // namespace

TEST_F(XmlReader, TagsAreNormalisedToSingleBlanks)
{
    struct Case {
        const char *xml;
        const char *block;
    } cases[] = {
        {"<node  id = a   x = 1   />\n", "<node id=a x=1/>"},
        {"<a\tb=1\r\n c =\t2 >\n", "<a b=1 c=2>"},
        {"<\n  a b=\"  kept  inside \"  />\n", "<a b=\"  kept  inside \"/>"},
        {"  \n\t<x/>\n", "<x/>"},
        {"</array>\n", "</array>"},
    };
    for (const Case &c : cases) {
        OV_XMLReader reader;
        std::string xml = c.xml;
        ASSERT_TRUE(reader.OpenFileInMemory(xml.data(), (int)xml.size())) << c.xml;
        const char *block = reader.GetNextBlock();
        ASSERT_NE(block, nullptr) << c.xml;
        EXPECT_STREQ(block, c.block) << c.xml;
    }
}

TEST_F(XmlReader, BlocksOfADocument)
{
    struct Case {
        const char *xml;
        std::vector<std::string> blocks;
    } cases[] = {
        {"<node  id = a   x = 1   />\n", {"<node id=a x=1/>"}},
        // The same tag as the very last bytes: its attributes end the data, the block is lost.
        {"<node  id = a   x = 1   />", {}},
        {"<a>\n \t\r\n<b/>\n</a>\n", {"<a>", "<b/>", "</a>"}},
        {"<a> hi there\n</a>\n", {"<a>", "TEXT[ hi there\n]", "</a>"}},
        {"<a/>\n<!-- a comment <b/> -->\n<c/>\n", {"<a/>", "<c/>"}},
        {"<a x=\"1 2\" y=3/>\n", {"<a x=1 2 y=3/>"}},
        {"<a x=\"\"/>\n", {"<a x=/>"}},
        {"<root>\n<array id=\"A\">\n<node id=\"n\" />\n</array>\n</root>\n",
         {"<root>", "<array id=A>", "<node id=n/>", "</array>", "</root>"}},
        {"<t v=\"a > b\"/>\n", {"<t v=a > b/>"}},
        {"<q>say \"<not a tag>\"</q>\n", {"<q>", "TEXT[say \"<not a tag>\"]", "</q>"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Blocks(c.xml), c.blocks) << c.xml;
}

TEST_F(XmlReader, BackslashEscapesInAttributeValues)
{
    struct Case {
        const char *raw;
        const char *value;
    } cases[] = {
        {"a\\\"b", "a\"b"},
        {"a\\\\b", "a\\b"},
        {"a\\qb", "ab"},
        {"\\n\\r\\t", "\n\r\t"},
        {"ends with \\", "ends with "},
        {"\\\\\\\"", "\\\""},
        {"&amp; stays", "&amp; stays"},
    };
    for (const Case &c : cases) {
        std::vector<char> text(c.raw, c.raw + strlen(c.raw) + 1);
        OV_XMLReader::FormattedStringToBinaryString(text.data());
        EXPECT_STREQ(text.data(), c.value) << c.raw;
    }

    // Through the tokenizer: an escaped quote keeps the string open, an escaped
    // backslash before the closing quote does not.
    struct TagCase {
        const char *xml;
        const char *value;
        const char *next;
    } tags[] = {
        {"<n v=\"say \\\"hi\\\" now\" w=2/>\n", "say \"hi\" now", "2"},
        {"<n v=\"dir\\\\\" w=2/>\n", "dir\\", "2"},
        {"<n v=\"q\\\\\\\"x\" w=2/>\n", "q\\\"x", "2"},
        {"<n v=\"a\\\\b\\qc\\nd\" w=2/>\n", "a\\bc\nd", "2"},
    };
    for (const TagCase &c : tags) {
        OV_XMLReader reader;
        std::string xml = c.xml;
        ASSERT_TRUE(reader.OpenFileInMemory(xml.data(), (int)xml.size()));
        ov_xml_block_t *b = reader.ReadNextBlock();
        ASSERT_NE(b, nullptr) << c.xml;
        ASSERT_EQ(b->count, 2) << c.xml;
        EXPECT_STREQ(b->attr_values[0], c.value) << c.xml;
        EXPECT_STREQ(b->attr_values[1], c.next) << c.xml;
    }
}

TEST_F(XmlReader, SeekParmEndFindsTheValueEnd)
{
    struct Case {
        const char *text;
        int end;
    } cases[] = {
        {"abc def", 3}, {"abc>", 3}, {"abc/>", 3}, {"\"a b\" c", 5}, {"\"a\\\" b\" c", 7}, {"abc", 3}, {"\"a>b\"/>", 5},
    };
    for (const Case &c : cases) {
        std::vector<char> text(c.text, c.text + strlen(c.text) + 1);
        EXPECT_EQ(OV_XMLReader::SeekParmEnd(text.data()) - text.data(), c.end) << c.text;
    }
}

TEST_F(XmlReader, AttributeLimitKeepsTheFirst128AndComplainsOnce)
{
    for (int total : {128, 130, 200}) {
        std::string name = "big" + std::to_string(total);
        std::string xml = "<" + name;
        for (int i = 0; i < total; i++)
            xml += " k" + std::to_string(i) + "=" + std::to_string(i * 7);
        xml += "/>\n";
        OV_XMLReader reader;
        ASSERT_TRUE(reader.OpenFileInMemory(xml.data(), (int)xml.size()));
        ov_xml_block_t *b = reader.ReadNextBlock();
        ASSERT_NE(b, nullptr);
        int kept = total < OV_XML_MAX_ATTRIBUTES ? total : OV_XML_MAX_ATTRIBUTES;
        ASSERT_EQ(b->count, kept);
        for (int i = 0; i < kept; i++) {
            EXPECT_EQ(std::string(b->attr_names[i]), "k" + std::to_string(i));
            EXPECT_EQ(std::string(b->attr_values[i]), std::to_string(i * 7));
        }
        EXPECT_TRUE(b->closing);
        std::string popup = "OV: Too many blocks (128 limit) in object '" + name + "' in xml 'FromMem'.";
        EXPECT_EQ(CountLogged(popup), total > OV_XML_MAX_ATTRIBUTES ? 1 : 0) << total;
    }
}

TEST_F(XmlReader, ByteOrderMarkIsRefused)
{
    WriteFile("bom.xml", "\xEF\xBB\xBF<root/>\n");
    WriteFile("app/native/bom.xml", "\xEF\xBB\xBF<root/>\n");
    OV_XMLReader native;
    EXPECT_FALSE(native.OpenFile("bom.xml", true));
    EXPECT_TRUE(Logged("OV: First non-whitespace char in XML document needs to be '<'. First char in 'bom.xml' is #239 "
                       "'\xEF'. Note: UTF8 BOM is not supported."));
    OV_XMLReader engine;
    EXPECT_FALSE(engine.OpenFile("res://bom.xml", false));
    EXPECT_TRUE(Logged("First char in 'res://bom.xml' is #239"));

    // Leading whitespace is allowed; whitespace only and empty files open.
    struct Case {
        const char *text;
        bool opens;
    } cases[] = {{"\n\t <a/>", true}, {" \r\n\t", true}, {"", true}, {"x<a/>", false}};
    for (const Case &c : cases) {
        WriteFile("case.xml", c.text);
        OV_XMLReader r;
        EXPECT_EQ(r.OpenFile("case.xml", true), c.opens) << '"' << c.text << '"';
    }
    OV_XMLReader missing;
    EXPECT_FALSE(missing.OpenFile("nothing-here.xml", true));
    EXPECT_FALSE(missing.OpenFile("", true));
    EXPECT_FALSE(missing.OpenFile(nullptr, true));
}

TEST_F(XmlReader, OpensThroughTheEngineFiles)
{
    WriteFile("app/native/doc.xml", "<a x=1/>\n");
    OV_XMLReader reader;
    ASSERT_TRUE(reader.OpenFile("res://doc.xml", false));
    EXPECT_STREQ(reader.GetName(), "res://doc.xml");
    ov_xml_block_t *b = reader.ReadNextBlock();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Describe(b), "<a x=1/>");
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    EXPECT_TRUE(reader.EndOfFile());
    EXPECT_EQ(reader.GetDepth(), 0);
}

TEST_F(XmlReader, MemoryNeedsFourBytes)
{
    OV_XMLReader reader;
    EXPECT_FALSE(reader.OpenFileInMemory("<a>", 3));
    EXPECT_TRUE(reader.OpenFileInMemory("<a/>", 4));
    EXPECT_STREQ(reader.GetName(), "FromMem");
    EXPECT_FALSE(reader.EndOfFile());
    reader.CloseFile();
    EXPECT_EQ(reader.GetName(), nullptr);
}

TEST_F(XmlReader, WhitespaceOnlyText)
{
    struct Case {
        const char *text;
        bool only;
    } cases[] = {{"", true}, {" \t\r\n", true}, {" x ", false}, {"\v", false}};
    for (const Case &c : cases)
        EXPECT_EQ(OV_XMLReader::OnlyWhitespace(c.text), c.only) << '"' << c.text << '"';
}

TEST_F(XmlReader, ParsingComplaintsNameTheLineAndGoOn)
{
    struct Case {
        const char *xml;
        const char *complaint;
        std::vector<std::string> blocks;
    } cases[] = {
        {">abc<a/>\n", "OV: Parsing error (not expecting '>') around line 0 in OV_XML 'FromMem'. Unexpected character '>' (3e) at:",
         {"TEXT[>abc]", "<a/>"}},
        {"<a/>\n\nxy>z<b/>\n",
         "OV: Parsing error (not expecting '>') around line 2 in OV_XML 'FromMem'. Unexpected character '>' (3e) at:",
         {"<a/>", "TEXT[\n\nxy>z]", "<b/>"}},
        {"<<c/>\n", "OV: Parsing error (not expecting another '<') around line 0", {"<<c/>"}},
        {"<>\n<d/>\n", "OV: Parsing error (not expecting '<' yet) around line 0", {"<>", "<d/>"}},
        {"<e/>\n<!-- open <!-- again -->\n<f/>\n", "(New comment block start within a comment block.) around line 1",
         {"<e/>", "<f/>"}},
        {"<g/>\n<!-- never closed\n", "(Comment block not ended properly.) around line 2", {"<g/>"}},
    };
    for (const Case &c : cases) {
        OVI_ResetPopups();
        EXPECT_EQ(Blocks(c.xml), c.blocks) << c.xml;
        EXPECT_TRUE(Logged(c.complaint)) << c.xml;
    }
    // The excerpt starts one byte before the position and shows the data from there.
    EXPECT_TRUE(Logged("'>abc<a/>"));
    EXPECT_TRUE(Logged("'>z<b/>"));
}

TEST_F(XmlReader, AttributeWithoutEqualsIsSkipped)
{
    std::string xml = "<n flag id=a other x=1/>\n<m/>\n";
    EXPECT_EQ(Blocks(xml), (std::vector<std::string>{"<n id=a x=1/>", "<m/>"}));
    EXPECT_EQ(CountLogged("OV_XMLReader Parsing Error1 at"), 2);
    EXPECT_EQ(Blocks("<n a=1 last>\n<m/>\n"), (std::vector<std::string>{"<n a=1>", "<m/>"}));
}

TEST_F(XmlReader, LongTextIsCutWithOverrunComplaint)
{
    std::string text(4200, 'a');
    text[4150] = 'b';
    std::string xml = "<a>" + text + "</a>\n";
    std::vector<std::string> blocks = Blocks(xml);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1], "TEXT[" + text.substr(0, OV_XML_WORK_BUFFER - 1) + "]");
    EXPECT_TRUE(Logged("OV: Parsing error (buffer overrun)"));
}
