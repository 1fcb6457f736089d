// Fuzzes the engine XML tokenizer on memory blocks: every block is read to the end
// and every name and value it hands out is walked, so a pointer outside the work
// buffer or a missing terminator shows up under AddressSanitizer.
#include "core/data/xml-reader.h"
#include "fuzz/fuzz_env.h"

#include <limits.h>
#include <string.h>

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
    OV_XMLReader reader;
    if (!reader.OpenFileInMemory(data, (int)size))
        return 0;
    size_t seen = 0;
    // Every block consumes at least one byte, so this ends; the bound is a guard.
    for (size_t blocks = 0; blocks <= size; blocks++) {
        ov_xml_block_t *b = reader.ReadNextBlock();
        if (!b)
            break;
        if (b->name)
            seen += strlen(b->name);
        if (b->count < 0 || b->count > OV_XML_MAX_ATTRIBUTES)
            __builtin_trap();
        for (int i = 0; i < b->count; i++)
            seen += strlen(b->attr_names[i]) + strlen(b->attr_values[i]);
    }
    // No block text can be longer than the work buffer.
    if (seen > size * (size_t)OV_XML_WORK_BUFFER)
        __builtin_trap();
    reader.CloseFile();
    return 0;
}
