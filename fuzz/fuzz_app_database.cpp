// Fuzzes the application's XML reader and database loader: the input is tokenized from
// memory to the end, then loaded as a database file; every array, node and pair is
// looked up, and the database is written in the XML format and read back, which must
// give the same records (keys the writer leaves out are dropped from both sides).
#include "app/services/dataman.h"
#include "app/services/xmlreader.h"
#include "fuzz/fuzz_env.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

bool Writable(const char *key)
{
    return key && key[0] && !strpbrk(key, " \t\r\n=\"<>/");
}

// Arrays, nodes and the writable pairs as one text.
std::string Shape(const DMDatabase &db)
{
    std::string s;
    for (int a = 0; a < db.GetNumberOfArrays(); a++) {
        DMArray *array = db.GetArray(a);
        s += "[" + std::string(array->id ? array->id : "(null)") + "]";
        if (db.GetArray(array->id) == nullptr)
            __builtin_trap();
        for (int n = 0; n < array->GetSize(); n++) {
            DMNode *node = array->GetNode(n);
            if (node->id && array->GetNode(node->id) == nullptr)
                __builtin_trap();
            s += "{";
            for (int p = 0; p < node->count; p++) {
                (void)node->pairs[p].GetValueInt();
                (void)node->pairs[p].GetValueFloat();
                if (Writable(node->pairs[p].key))
                    s += std::string("|") + node->pairs[p].key + "=" + node->pairs[p].value;
            }
            s += "}";
        }
    }
    return s;
}

// The writer's output reads back the same only while a node fits the reader's
// attribute table.
bool FitsReader(const DMDatabase &db)
{
    for (int a = 0; a < db.GetNumberOfArrays(); a++)
        for (int n = 0; n < db.GetArray(a)->GetSize(); n++)
            if (db.GetArray(a)->GetNode(n)->count >= XML_MAX_ATTRIBUTES)
                return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    XMLReader reader;
    if (reader.OpenFileInMemory(data, (int)size)) {
        for (size_t blocks = 0; blocks <= size; blocks++) {
            XMLBlock *b = reader.ReadNextBlock();
            if (!b)
                break;
            if (b->count < 0 || b->count > XML_MAX_ATTRIBUTES)
                __builtin_trap();
            for (int i = 0; i < b->count; i++)
                if (strlen(b->attr_values[i]) > size)
                    __builtin_trap();
        }
    }
    if (!fuzzenv::WriteResFile("in.xml", data, size))
        return 0;
    DMDatabase db;
    db.LoadXML("res://in.xml");
    std::string shape = Shape(db);
    (void)db.GetValue("A", "x", "id");
    (void)db.GetValue("A", 0, "id");
    if (FitsReader(db)) {
        size_t length = 0;
        char *text = db.FormatXML(&length);
        if (!text || !fuzzenv::WriteResFile("out.xml", (const uint8_t *)text, length))
            __builtin_trap();
        free(text);
        DMDatabase copy;
        if (!copy.LoadXML("res://out.xml") || copy.HadParseError() || Shape(copy) != shape)
            __builtin_trap();
    }
    return 0;
}
