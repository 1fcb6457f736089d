// Fuzzes the application's CSV loader: the input is loaded as a ';'-separated
// database; every node must have one pair per column, named by the column.
#include "app/services/csvreader.h"
#include "app/services/dataman.h"
#include "fuzz/fuzz_env.h"

#include <string.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("in.csv", data, size))
        return 0;
    CSVReader reader;
    if (!reader.OpenFile("res://in.csv"))
        __builtin_trap();
    int columns = reader.GetNumberOfColumns();
    reader.CloseFile();

    DMDatabase db;
    if (!db.Load("res://in.csv"))
        __builtin_trap();
    DMArray *array = db.GetArray((const char *)nullptr);
    if (!array || db.GetNumberOfArrays() != 1 || array->GetSize() > (int)size + 1)
        __builtin_trap();
    for (int n = 0; n < array->GetSize(); n++) {
        DMNode *node = array->GetNode(n);
        if (node->count != columns || node->id)
            __builtin_trap();
        for (int p = 0; p < node->count; p++)
            if (strlen(node->pairs[p].value) > size)
                __builtin_trap();
    }
    return 0;
}
