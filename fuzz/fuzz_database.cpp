// Fuzzes the data-manifest database reader: a database is loaded from memory, every
// array, node and pair is looked up by position and by id, then it is written with
// the database writer and read back, which must give the same arrays and nodes.
#include "core/data/dataman.h"
#include "core/data/xml-reader.h"
#include "fuzz/fuzz_env.h"

#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

std::string s_saved;

// A text summary of the arrays, nodes and pairs, to compare a database with its copy.
std::string Shape(const OV_DMDatabase &db)
{
    std::string s;
    for (int a = 0; a < db.GetNumberOfArrays(); a++) {
        OV_DMArray *array = db.GetArray(a);
        s += "[" + std::string(array->id ? array->id : "(null)") + "]";
        if (db.GetArray(array->id) == nullptr)
            __builtin_trap();  // an array must be found by its own id
        for (int n = 0; n < array->GetSize(); n++) {
            OV_DMNode *node = array->GetNode(n);
            s += "{" + std::string(node->id ? node->id : "(null)");
            if (node->id && array->GetNode(node->id) == nullptr)
                __builtin_trap();
            for (int p = 0; p < node->count; p++) {
                s += ";" + std::string(node->pairs[p].key ? node->pairs[p].key : "");
                s += "=" + std::string(node->pairs[p].value ? node->pairs[p].value : "");
                (void)node->pairs[p].GetValueInt();
                (void)node->pairs[p].GetValueFloat();
            }
            s += "}";
        }
    }
    return s;
}

// True when the database lies inside what the writer promises to write back the same:
// keys are written unescaped, so a key with blanks, '=', quotes, '<', '>' or '/' does
// not read back (the engine's own data never has such keys); a node's tag must fit the
// reader's 4095-character block and its 128 attributes.
bool Writable(const OV_DMDatabase &db)
{
    for (int a = 0; a < db.GetNumberOfArrays(); a++) {
        OV_DMArray *array = db.GetArray(a);
        for (int n = 0; n < array->GetSize(); n++) {
            OV_DMNode *node = array->GetNode(n);
            if (node->count >= OV_XML_MAX_ATTRIBUTES)
                return false;
            size_t tag = 16;
            for (int p = 0; p < node->count; p++) {
                const char *k = node->pairs[p].key;
                if (!k || !k[0] || strpbrk(k, " \t\r\n=\"<>/\\!"))
                    return false;
                const char *v = node->pairs[p].value ? node->pairs[p].value : "";
                tag += strlen(k) + 2 * strlen(v) + 8;
            }
            if (tag > 3000)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    char cwd[512];
    if (getcwd(cwd, sizeof cwd))
        s_saved = std::string(cwd) + "/app/native/saved.xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    OV_DMDatabase db;
    if (!db.LoadXMLFromMemory("fuzz.xml", data, (int)size))
        return 0;
    std::string shape = Shape(db);
    (void)db.GetArray((const char *)nullptr);
    (void)db.GetValue("PARAMETERS", "APPLICATION", "id");
    (void)db.GetValue("PARAMETERS", 0, "id");

    if (Writable(db) && db.Save(s_saved.c_str())) {
        OV_DMDatabase copy;
        if (!copy.LoadXML("res://saved.xml") || Shape(copy) != shape)
            __builtin_trap();
    }
    db.Free();
    return 0;
}
