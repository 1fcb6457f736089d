// Data-manifest databases: loading engine XML into arrays and nodes, the writer's
// exact layout and escapes, edits and lookups, the locked registry and the manifest.
#include "tests/core/data/data_fixture.h"

#include "core/data/dataman.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace datatest;

namespace {

class Databases : public EngineUp {
protected:
    void TearDown() override
    {
        ov_dman.ReleaseAll();
        EngineUp::TearDown();
    }
};

std::vector<std::string> ArrayIds(const OV_DMDatabase &db)
{
    std::vector<std::string> ids;
    for (int i = 0; i < db.GetNumberOfArrays(); i++)
        ids.push_back(db.GetArray(i)->id ? db.GetArray(i)->id : "<null>");
    return ids;
}

// Every pair of a node as "key=value", in order.
std::vector<std::string> Pairs(const OV_DMNode *node)
{
    std::vector<std::string> out;
    for (int i = 0; i < node->count; i++)
        out.push_back(std::string(node->pairs[i].key) + "=" + node->pairs[i].value);
    return out;
}

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

}  // namespace

TEST_F(Databases, NodeTakesEveryAttributeAndItsLastIdIsTheId)
{
    WriteFile("app/native/ids.xml", std::string(kDeclaration) +
                                        "<root>\n<array id=\"A\">\n<node id=\"a\" id=\"b\" x=\"1\"/>\n"
                                        "<node ID=\"c\" y=\"2\"/>\n</array>\n</root>\n");
    OV_DMDatabase db;
    ASSERT_TRUE(db.Load("res://ids.xml"));
    EXPECT_STREQ(db.name, "res://ids.xml");
    OV_DMArray *a = db.GetArray("A");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->GetSize(), 2);
    EXPECT_STREQ(a->GetNode(0)->id, "b");
    EXPECT_EQ(Pairs(a->GetNode(0)), (std::vector<std::string>{"id=a", "id=b", "x=1"}));
    EXPECT_STREQ(a->GetNode(1)->id, "c");
    EXPECT_EQ(a->GetNode("b"), a->GetNode(0));
    EXPECT_EQ(a->GetNode("a"), nullptr);
    EXPECT_TRUE(Logged("1 Arrays loaded with total 2 nodes."));
}

TEST_F(Databases, ArrayWithoutIdIsFoundByNullId)
{
    WriteFile("app/native/noid.xml",
              std::string(kDeclaration) + "<root>\n<array id=\"\">\n</array>\n<array>\n<node id=\"n\"/>\n</array>\n</root>\n");
    OV_DMDatabase db;
    ASSERT_TRUE(db.Load("res://noid.xml"));
    EXPECT_EQ(ArrayIds(db), (std::vector<std::string>{"", "<null>"}));
    EXPECT_EQ(db.GetArray(nullptr), db.GetArray(1));
    EXPECT_EQ(db.GetArray(""), db.GetArray(0));
    EXPECT_EQ(db.GetArraySize(nullptr), 1);
}

TEST_F(Databases, NodeTextBecomesItsDataPair)
{
    WriteFile("app/native/text.xml", std::string(kDeclaration) +
                                         "<root>\n<array id=\"A\">\n<node id=\"t\">some text</node>\n"
                                         "<node id=\"e\"></node>\n<node id=\"after\"/>\n</array>\n</root>\n");
    OV_DMDatabase db;
    ASSERT_TRUE(db.Load("res://text.xml"));
    OV_DMArray *a = db.GetArray("A");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->GetSize(), 3) << "an end tag with nothing before it adds no node";
    EXPECT_EQ(Pairs(a->GetNode(0)), (std::vector<std::string>{"id=t", "DATA=some text"}));
    EXPECT_EQ(Pairs(a->GetNode(1)), (std::vector<std::string>{"id=e"}));
    EXPECT_STREQ(a->GetNode(2)->id, "after");
}

TEST_F(Databases, OnlyDeclarationAndRootAreSkippedAtTheStart)
{
    const std::string arrays = "<array id=\"A\">\n<node id=\"1\"/>\n</array>\n<array id=\"B\">\n</array>\n";
    struct Case {
        std::string xml;
        std::vector<std::string> ids;
    } cases[] = {
        {kDeclaration + std::string("<root>\n") + arrays + "</root>\n", {"A", "B"}},
        {"<root>\n" + arrays + "</root>\n", {"A", "B"}},
        {arrays, {"A", "B"}},
        {kDeclaration + arrays, {"A", "B"}},
        {"<!-- about -->\n" + arrays, {"A", "B"}},
        {kDeclaration + std::string("<root>\n<array id=\"E\"/>\n") + arrays + "</root>\n", {"E", "A", "B"}},
    };
    int n = 0;
    for (const Case &c : cases) {
        std::string name = "skip" + std::to_string(n++) + ".xml";
        WriteFile("app/native/" + name, c.xml);
        OV_DMDatabase db;
        ASSERT_TRUE(db.Load(("res://" + name).c_str()));
        EXPECT_EQ(ArrayIds(db), c.ids) << c.xml;
        EXPECT_EQ(db.GetArraySize("A"), 1) << c.xml;
    }
}

TEST_F(Databases, NodeAtTheEndOfTheDataIsAParsingError)
{
    WriteFile("app/native/trunc.xml", std::string(kDeclaration) + "<root>\n<array id=\"A\">\n<node id=\"x\"/>\n");
    OV_DMDatabase db;
    ASSERT_TRUE(db.Load("res://trunc.xml"));
    EXPECT_TRUE(Logged("OV: Error parsing file 'res://trunc.xml'"));
    EXPECT_EQ(db.GetArraySize("A"), 1);
    EXPECT_TRUE(Logged("1 Arrays loaded with total 1 nodes."));
}

TEST_F(Databases, SavedLayoutIsExact)
{
    OV_DMDatabase db;
    db.SetValue("A", "n1", "x", "1");
    db.SetValue("A", "n1", "y", "2");
    db.SetValue("A", "n2", "a", "1");
    db.SetValue("A", "n2", "b", "2");
    db.SetValue("A", "n2", "c", "3");
    db.AddArray("B");
    ASSERT_TRUE(db.Save("saved.xml"));
    std::string expected = std::string(kDeclaration) +
                           "<root>\n"
                           "\n\t<array id=\"A\">\n"
                           "\t\t<node id=\"n1\" x=\"1\" y=\"2\" />\n"
                           "\t\t<node id=\"n2\" \n\t\t a=\"1\" \n\t\t b=\"2\" \n\t\t c=\"3\" \n\t\t />\n\n"
                           "\t</array>\n"
                           "\n\t<array id=\"B\">\n"
                           "\t</array>\n"
                           "</root>\n";
    EXPECT_EQ(ReadFile("saved.xml"), expected);
}

TEST_F(Databases, SaveAndLoadKeepValuesWithQuotesBackslashesAndLineBreaks)
{
    const std::vector<std::string> values = {
        "say \"hi\"", "C:\\dir\\", "two\nlines", "cr\rlf\r\n", "tab\there", "\\\"", "\\\\\"\"", "<&amp;>", "", " spaced ",
        "iso \xE4\xF6", "/>", "a=b c=d",
    };
    OV_DMDatabase db;
    OV_DMArray *odd = db.AddArray("odd \"id\"\\");
    odd->AddNode(nullptr);
    for (size_t i = 0; i < values.size(); i++) {
        std::string node = "n" + std::to_string(i);
        db.SetValue("values", node.c_str(), "v", values[i].c_str());
        db.SetValue("values", node.c_str(), "w", "after");
    }
    OV_DMArray *unnamed = new OV_DMArray();  // an array without id, as a file without one gives
    unnamed->SetValue("u", "k", "line\nbreak");
    db.arrays.InsertLast(unnamed);

    ASSERT_TRUE(db.Save("app/native/roundtrip.xml"));
    std::string file = ReadFile("app/native/roundtrip.xml");
    EXPECT_NE(file.find("v=\"say \\\"hi\\\"\""), std::string::npos) << file;
    EXPECT_EQ(file.find("two\nlines"), std::string::npos) << "line feeds are written escaped";

    OV_DMDatabase back;
    ASSERT_TRUE(back.Load("res://roundtrip.xml"));
    ASSERT_EQ(back.GetNumberOfArrays(), db.GetNumberOfArrays());
    for (int a = 0; a < db.GetNumberOfArrays(); a++) {
        OV_DMArray *x = db.GetArray(a), *y = back.GetArray(a);
        ASSERT_EQ(x->id == nullptr, y->id == nullptr) << a;
        if (x->id) {
            EXPECT_STREQ(x->id, y->id);
        }
        ASSERT_EQ(x->GetSize(), y->GetSize()) << a;
        for (int n = 0; n < x->GetSize(); n++) {
            EXPECT_EQ(Pairs(x->GetNode(n)), Pairs(y->GetNode(n))) << a << "/" << n;
            EXPECT_EQ(x->GetNode(n)->id == nullptr, y->GetNode(n)->id == nullptr);
        }
    }
    for (size_t i = 0; i < values.size(); i++) {
        std::string node = "n" + std::to_string(i);
        EXPECT_EQ(std::string(back.GetValue("values", node.c_str(), "v")), values[i]) << i;
        EXPECT_STREQ(back.GetValue("values", node.c_str(), "w"), "after") << i;
    }
}

TEST_F(Databases, RegistryLoadsOnceAndComparesNamesIgnoringCase)
{
    OV_DMDatabase *missing = ov_dman.GetDatabase("res://later.xml");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->GetNumberOfArrays(), 0);
    EXPECT_TRUE(Logged("OV: OV_XML Array File 'res://later.xml' not found!"));
    WriteFile("app/native/later.xml", "<array id=\"A\">\n<node id=\"n\" k=\"v\"/>\n</array>\n");
    EXPECT_EQ(ov_dman.GetDatabase("res://later.xml"), missing) << "the registered database is not read again";
    EXPECT_EQ(ov_dman.GetDatabase("RES://Later.XML"), missing);
    EXPECT_EQ(missing->GetNumberOfArrays(), 0);

    ov_dman.ReleaseDatabase("res://LATER.xml");
    OV_DMDatabase *loaded = ov_dman.GetDatabase("res://later.xml");
    EXPECT_EQ(loaded->GetNumberOfArrays(), 1);
    EXPECT_STREQ(ov_dman.GetValue("res://later.xml", "A", "n", "k"), "v");
    EXPECT_STREQ(ov_dman.GetValue("res://later.xml", "A", 0, "k"), "v");
    EXPECT_EQ(ov_dman.GetValue("res://later.xml", "A", 1, "k"), nullptr);
    EXPECT_EQ(ov_dman.GetArraySize("res://later.xml", "A"), 1);
    EXPECT_EQ(ov_dman.GetArraySize("res://later.xml", "B"), 0);

    OV_DMDatabase *created = ov_dman.CreateDatabase("user://made.xml");
    EXPECT_EQ(created->GetNumberOfArrays(), 0);
    EXPECT_EQ(ov_dman.CreateDatabase("USER://made.xml"), created);
    EXPECT_EQ(ov_dman.GetDatabase("user://made.xml"), created);
    EXPECT_EQ(ov_dman.GetNumberOfDatabases(), 2);
}

TEST_F(Databases, FileTypesOtherThanXmlAreRefused)
{
    OV_DMDatabase db;
    EXPECT_FALSE(db.Load("res://data.txt"));
    EXPECT_TRUE(Logged("OV: Unknown database file type 'res://data.txt'."));
    EXPECT_FALSE(db.Load("a.x"));
    EXPECT_EQ(CountLogged("Unknown database file type"), 1) << "names of three characters say nothing";
    EXPECT_FALSE(db.Save("out.dat"));
    EXPECT_TRUE(Logged("OV: Unknown database file type 'out.dat'."));
    EXPECT_FALSE(db.Save("abc"));
    EXPECT_FALSE(db.Save(nullptr));
    EXPECT_FALSE(db.Save("no/such/dir/x.xml"));
    EXPECT_TRUE(Logged("OV: Unable to open file 'no/such/dir/x.xml' for writing."));
}

TEST_F(Databases, NodeEdits)
{
    OV_DMNode node;
    node.SetValue("id", "first");
    node.SetValue("k", "1");
    node.SetValue("k", nullptr);
    node.SetValue("empty", nullptr);
    EXPECT_STREQ(node.id, "first");
    EXPECT_EQ(Pairs(&node), (std::vector<std::string>{"id=first", "k=1", "empty="}));
    node.SetValue("id", "renamed");
    EXPECT_STREQ(node.id, "renamed");
    EXPECT_STREQ(node.GetValue("id"), "renamed");
    EXPECT_EQ(node.GetValue("K"), nullptr) << "keys are case-sensitive";
    EXPECT_EQ(node.GetValue(nullptr), nullptr);
    EXPECT_TRUE(node.RemoveValue("k"));
    EXPECT_FALSE(node.RemoveValue("k"));
    EXPECT_EQ(Pairs(&node), (std::vector<std::string>{"id=renamed", "empty="}));
    EXPECT_TRUE(node.RemoveValue("id"));
    EXPECT_EQ(node.id, nullptr);
    node.SetValue(nullptr, "x");
    EXPECT_EQ(node.count, 1);
}

TEST_F(Databases, ArrayAndDatabaseEdits)
{
    OV_DMArray array;
    OV_DMNode *a = array.AddNode("a");
    EXPECT_EQ(array.AddNode("a"), a);
    EXPECT_EQ(Pairs(a), (std::vector<std::string>{"id=a"}));
    OV_DMNode *anon = array.AddNode(nullptr);
    EXPECT_EQ(anon->id, nullptr);
    EXPECT_EQ(anon->count, 0);
    EXPECT_EQ(array.GetSize(), 2);
    EXPECT_EQ(array.GetNode(-1), nullptr);
    EXPECT_EQ(array.GetNode(2), nullptr);
    EXPECT_EQ(array.GetNode((const char *)nullptr), nullptr);
    array.SetValue(nullptr, "k", "v");
    EXPECT_EQ(array.GetSize(), 2);
    array.SetValue("b", "k", "v");
    EXPECT_STREQ(array.GetNodeValue("b", "k"), "v");
    EXPECT_STREQ(array.GetNodeValue(2, "k"), "v");
    EXPECT_TRUE(array.RemoveNode("a"));
    EXPECT_FALSE(array.RemoveNode("a"));
    EXPECT_EQ(array.GetSize(), 2);

    OV_DMDatabase db;
    OV_DMArray *blank = db.AddArray(nullptr);
    EXPECT_STREQ(blank->id, "");
    db.SetValue("X", "n", "k", "1");
    db.SetValue("X", "n", "j", "2");
    db.SetValue(nullptr, "m", "k", "3");
    db.SetValue(nullptr, "m", "j", "4");
    EXPECT_EQ(ArrayIds(db), (std::vector<std::string>{"", "X"}));
    EXPECT_EQ(db.GetArraySize(""), 1);
    EXPECT_STREQ(db.GetValue("X", "n", "j"), "2");
    EXPECT_STREQ(db.GetValue("X", 0, "k"), "1");
    EXPECT_EQ(db.GetValue("Y", 0, "k"), nullptr);
    EXPECT_TRUE(db.RemoveArray("X"));
    EXPECT_FALSE(db.RemoveArray("X"));
    EXPECT_EQ(db.GetArray(5), nullptr);
    db.Free();
    EXPECT_EQ(db.GetNumberOfArrays(), 0);
    EXPECT_EQ(db.name, nullptr);
}

TEST_F(Databases, ValueConversions)
{
    struct Case {
        const char *text;
        int i;
        float f;
    } cases[] = {{"42", 42, 42.0f}, {"-7x", -7, -7.0f}, {"abc", 0, 0.0f}, {"2.5", 2, 2.5f}, {nullptr, 0, 0.0f}};
    for (const Case &c : cases) {
        OV_DMValue v;
        v.SetValue(c.text);
        EXPECT_EQ(v.GetValueInt(), c.i) << (c.text ? c.text : "null");
        EXPECT_FLOAT_EQ(v.GetValueFloat(), c.f) << (c.text ? c.text : "null");
    }
    OV_DMValue v;
    v.SetValueInt(-12);
    EXPECT_STREQ(v.GetValue(), "-12");
    v.SetValueFloat(0.25f);
    EXPECT_STREQ(v.GetValue(), "0.25");
    v.SetValue(v.GetValue());
    EXPECT_STREQ(v.GetValue(), "0.25");
    OV_DMValue empty;
    OV_DMValue copy(empty);
    EXPECT_STREQ(copy.key, "");
    EXPECT_STREQ(copy.value, "");
}

TEST_F(Databases, ManifestSearchesTheLastAddedFirst)
{
    OV_DMDatabase *a = ov_dman.CreateDatabase("res://a.xml");
    OV_DMDatabase *b = ov_dman.CreateDatabase("res://b.xml");
    OV_DMDatabase *empty = ov_dman.CreateDatabase("res://empty.xml");
    a->SetValue("first", "both", "from", "a");
    a->SetValue("first", "only_a", "from", "a");
    a->SetValue("second", "hidden", "from", "a");
    b->SetValue("bfirst", "both", "from", "b");
    EXPECT_TRUE(ov_dman.AddManifestDatabase(a));
    EXPECT_TRUE(ov_dman.AddManifestDatabase(b));
    EXPECT_FALSE(ov_dman.AddManifestDatabase(empty));
    ASSERT_EQ(ov_dman.GetNumberOfManifestArrays(), 2);
    EXPECT_EQ(ov_dman.GetManifestArray(0), b->GetArray(0));
    EXPECT_STREQ(OVI_GetDataManifestNode("both")->GetValue("from"), "b");
    EXPECT_STREQ(OVI_GetDataManifestNode("only_a")->GetValue("from"), "a");
    EXPECT_EQ(OVI_GetDataManifestNode("hidden"), nullptr) << "only a database's first array is in the manifest";
    ov_dman.ReleaseDatabase("res://b.xml");
    EXPECT_STREQ(OVI_GetDataManifestNode("both")->GetValue("from"), "a");
}

TEST_F(Databases, WorkerThreadsShareOneLoad)
{
    WriteFile("app/native/shared.xml", "<array id=\"A\">\n<node id=\"n\" k=\"v\"/>\n</array>\n");
    int before = ov_dman.GetNumberOfDatabases();
    const int kThreads = 8;
    std::vector<OV_DMDatabase *> seen(kThreads, nullptr);
    std::atomic<bool> go(false);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; i++) {
        threads.emplace_back([&, i] {
            while (!go.load())
                std::this_thread::yield();
            seen[i] = ov_dman.GetDatabase("res://shared.xml");
        });
    }
    go = true;
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(ov_dman.GetNumberOfDatabases(), before + 1);
    for (OV_DMDatabase *db : seen)
        EXPECT_EQ(db, seen[0]);
    EXPECT_STREQ(seen[0]->GetValue("A", "n", "k"), "v");
}

TEST_F(Databases, CommandQueriesAreNotOffered)
{
    EXPECT_EQ(ov_dman.QueryValue("A/n/k"), nullptr);
    EXPECT_EQ(ov_dman.QueryArraySize("A"), 0);
    EXPECT_TRUE(Logged("OV: OV_DataMan::QueryValue (const char *command) is unimplemented."));
    EXPECT_TRUE(Logged("OV: OV_DataMan::QueryArraySize (const char *command) is unimplemented."));
}

class DatabasesWithoutEngine : public ScratchDir {};

TEST_F(DatabasesWithoutEngine, NativePathsLoadBeforeTheEngineExists)
{
    ASSERT_EQ(ov, nullptr);
    WriteFile("plain.xml", "<root>\n<array id=\"P\">\n<node id=\"n\" k=\"v\"/>\n</array>\n</root>\n");
    OV_DMDatabase db;
    ASSERT_TRUE(db.Load("plain.xml"));
    EXPECT_STREQ(db.GetValue("P", "n", "k"), "v");
    OV_DMDatabase none;
    EXPECT_FALSE(none.Load("absent.xml"));
    EXPECT_EQ(none.GetNumberOfArrays(), 0);
}
