// The data registry and its records: lookups, node and pair editing, conversions, and
// the registry's load-once behaviour.
#include "app/services/dataman.h"
#include "tests/app/services/data_fixture.h"

#include <limits.h>

using datatest::CountMessages;
using datatest::DataTest;

namespace {

class DataManTest : public DataTest {};

TEST_F(DataManTest, MissingFileIsTriedOnceAndRegisteredEmpty)
{
    DMDatabase *a = dman().GetDatabase("res://missing.xml");
    DMDatabase *b = dman().GetDatabase("res://missing.xml");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->GetNumberOfArrays(), 0);
    EXPECT_STREQ(a->name, "res://missing.xml");
    EXPECT_EQ(CountMessages("XML Array File 'res://missing.xml' not found!\n"), 1);
    EXPECT_FALSE(a->HadParseError());
}

TEST_F(DataManTest, UnknownEndingIsReportedAndRegistered)
{
    DMDatabase *db = dman().GetDatabase("res://table.txt");
    EXPECT_EQ(db, dman().GetDatabase("res://table.txt"));
    EXPECT_EQ(CountMessages("Unknown database file type 'res://table.txt'.\nSupported formats are: .csv .xml"), 1);
}

TEST_F(DataManTest, CreateReleaseAndRegistryLookups)
{
    ASSERT_TRUE(WriteNative(ResPath("units.xml"),
                            "<?xml version=\"1.0\"?>\n<root>\n\t<array id=\"UNITS\">\n"
                            "\t\t<node id=\"tank\" hp=\"300\" />\n\t\t<node id=\"jeep\" hp=\"90\" />\n"
                            "\t</array>\n</root>\n"));
    EXPECT_STREQ(dman().GetValue("res://units.xml", "UNITS", "jeep", "hp"), "90");
    EXPECT_STREQ(dman().GetValue("res://units.xml", "UNITS", 0, "hp"), "300");
    EXPECT_EQ(dman().GetValue("res://units.xml", "UNITS", 2, "hp"), nullptr);
    EXPECT_EQ(dman().GetValue("res://units.xml", "NONE", "jeep", "hp"), nullptr);
    EXPECT_EQ(dman().GetArraySize("res://units.xml", "UNITS"), 2);
    EXPECT_EQ(dman().GetArraySize("res://units.xml", "NONE"), 0);
    EXPECT_EQ(dman().GetArray("res://units.xml", "UNITS")->GetSize(), 2);

    DMDatabase *made = dman().CreateDatabase("user://made.xml");
    EXPECT_EQ(made, dman().CreateDatabase("user://made.xml"));
    EXPECT_EQ(made, dman().GetDatabase("user://made.xml"));  // nothing read from disk
    int before = dman().GetNumberOfDatabases();
    dman().ReleaseDatabase("user://made.xml");
    EXPECT_EQ(dman().GetNumberOfDatabases(), before - 1);
    dman().ReleaseDatabase("user://made.xml");  // not registered: nothing
    DMDatabase stray;
    dman().ReleaseDatabase(&stray);
    EXPECT_EQ(dman().GetNumberOfDatabases(), before - 1);
}

TEST_F(DataManTest, FreedDatabaseNeverBreaksALookup)
{
    DMDatabase *db = dman().CreateDatabase("user://a.xml");
    db->Free();
    EXPECT_EQ(db->name, nullptr);
    DMDatabase *b = dman().CreateDatabase("user://b.xml");
    EXPECT_NE(b, db);
    EXPECT_STREQ(b->name, "user://b.xml");
}

TEST_F(DataManTest, AddNodeReturnsExistingAndNullAlwaysAppends)
{
    DMDatabase db;
    DMArray *array = db.AddArray("A");
    DMNode *a = array->AddNode("a");
    EXPECT_EQ(array->AddNode("a"), a);
    ASSERT_EQ(a->count, 1);
    EXPECT_STREQ(a->pairs[0].key, "id");
    EXPECT_STREQ(a->pairs[0].value, "a");
    DMNode *n1 = array->AddNode(nullptr);
    DMNode *n2 = array->AddNode(nullptr);
    EXPECT_NE(n1, n2);
    EXPECT_EQ(n1->id, nullptr);
    EXPECT_EQ(n1->count, 0);
    EXPECT_EQ(array->GetSize(), 3);
    EXPECT_EQ(array->GetNode(nullptr), nullptr);
    EXPECT_EQ(array->GetNodeIndexById(nullptr), -1);
    EXPECT_FALSE(array->RemoveNode((const char *)nullptr));
}

TEST_F(DataManTest, SettingTheIdKeyRenamesTheNode)
{
    DMDatabase db;
    db.SetValue("A", "x", "v", "1");
    db.SetValue("A", "x", "id", "y");
    DMArray *array = db.GetArray("A");
    ASSERT_EQ(array->GetSize(), 1);
    EXPECT_STREQ(array->GetNode(0)->id, "y");
    EXPECT_STREQ(array->GetNode(0)->GetValue("id"), "y");
    EXPECT_EQ(array->GetNode("x"), nullptr);
    EXPECT_STREQ(db.GetValue("A", "y", "v"), "1");
}

TEST_F(DataManTest, NullValueKeepsOldAndGivesEmptyToNewKey)
{
    DMDatabase db;
    db.SetValue("A", "n", "k", "old");
    db.SetValue("A", "n", "k", nullptr);
    db.SetValue("A", "n", "fresh", nullptr);
    EXPECT_STREQ(db.GetValue("A", "n", "k"), "old");
    EXPECT_STREQ(db.GetValue("A", "n", "fresh"), "");
    db.SetValue("A", nullptr, "k", "ignored");
    EXPECT_EQ(db.GetArraySize("A"), 1);
    db.GetArray("A")->GetNode(0)->SetValue(nullptr, "ignored");
    EXPECT_EQ(db.GetArray("A")->GetNode(0)->count, 3);
}

TEST_F(DataManTest, SeventhKeyIsAppendedAfterTheFirstSixInOrder)
{
    DMDatabase db;
    DMNode *node = db.AddArray("A")->AddNode("n");
    for (const char *k : {"b", "c", "d", "e", "f"})
        node->SetValue(k, k);
    ASSERT_EQ(node->count, 6);
    node->SetValue("g", "7");
    const char *order[] = {"id", "b", "c", "d", "e", "f", "g"};
    ASSERT_EQ(node->count, 7);
    for (int i = 0; i < 7; i++)
        EXPECT_STREQ(node->pairs[i].key, order[i]);
    node->RemoveValue("id");
    EXPECT_STREQ(node->id, "n");  // the id stays
    EXPECT_EQ(node->count, 6);
    EXPECT_STREQ(node->pairs[0].key, "b");
    node->SetValue("h", "8");
    EXPECT_STREQ(node->pairs[6].key, "h");
    node->RemoveValue("absent");
    node->RemoveValue(nullptr);
    EXPECT_EQ(node->count, 7);
}

struct NumberCase {
    const char *text;
    int integer;
    float number;
};

const NumberCase kNumberCases[] = {
    {"12abc", 12, 12.0f},        {"abc", 0, 0.0f},           {"1e3", 1, 1000.0f},
    {"  -7", -7, -7.0f},         {"+5x", 5, 5.0f},           {"99999999999", INT_MAX, 1e11f},
    {"-99999999999", INT_MIN, -1e11f}, {"", 0, 0.0f},       {"0.5", 0, 0.5f},
};

TEST_F(DataManTest, ValueConversionTable)
{
    for (const NumberCase &c : kNumberCases) {
        SCOPED_TRACE(c.text);
        DMValue v;
        v.SetValue(c.text);
        EXPECT_EQ(v.GetValueInt(), c.integer);
        EXPECT_FLOAT_EQ(v.GetValueFloat(), c.number);
    }
    DMValue none;
    EXPECT_EQ(none.GetValueInt(), 0);
    EXPECT_EQ(none.GetValueFloat(), 0.0f);
    none.SetValueInt(-42);
    EXPECT_STREQ(none.GetValue(), "-42");
    none.SetValueFloat(0.25f);
    EXPECT_STREQ(none.GetValue(), "0.25");
    none.SetValue(nullptr);
    EXPECT_STREQ(none.GetValue(), "0.25");
    DMValue copy(none);
    EXPECT_STREQ(copy.GetValue(), "0.25");
    EXPECT_STREQ(copy.key, "");
}

TEST_F(DataManTest, NullIdFindsTheCsvArrayButNotAnAddedOne)
{
    DMDatabase db;
    db.AddArray(nullptr);
    EXPECT_EQ(db.GetArray((const char *)nullptr), nullptr);
    EXPECT_STREQ(db.GetArray("")->id, "");
    DMArray *csv = new DMArray;  // as the CSV reader appends it
    db.arrays.InsertLast(csv);
    EXPECT_EQ(db.GetArray((const char *)nullptr), csv);
    EXPECT_FALSE(db.RemoveArray(nullptr));
    EXPECT_TRUE(db.RemoveArray(""));
    EXPECT_FALSE(db.RemoveArray(""));
    EXPECT_EQ(db.GetArray(5), nullptr);
    EXPECT_EQ(db.GetArray(0), csv);
}

TEST_F(DataManTest, RemovingTheOnlyNodeKeepsTheListBlock)
{
    DMDatabase db;
    DMArray *array = db.AddArray("A");
    array->AddNode("only");
    int capacity = array->nodes.Capacity();
    EXPECT_TRUE(array->RemoveNode("only"));
    EXPECT_EQ(array->GetSize(), 0);
    EXPECT_EQ(array->nodes.Capacity(), capacity);
    EXPECT_GT(capacity, 0);
    array->RemoveNode(3);  // outside: nothing
}

}  // namespace
