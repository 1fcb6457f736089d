// Fuzzes the model reader: the input is a model file (an application XML database),
// loaded into a model whose counts, indices, bounds and draw vertices are checked; the
// model is written back and read again, which must give the same counts.
#include "app/services/dataman.h"
#include "app/ui/model.h"
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
    if (!fuzzenv::WriteResFile("model.xml", data, size))
        return 0;
    Model *m = model_man.LoadModel("res://model.xml");
    if (!m || m->vertex_count < 0 || m->index_count < 0 || m->reference_count != 1)
        __builtin_trap();
    if (m->vertex_count == 0 && (m->radius != 0 || m->bounds_min.x != 0))
        __builtin_trap();
    for (int i = 0; i < m->vertex_count; i++)
        if (m->draw_vertices[i].color[3] != 255)
            __builtin_trap();
    m->CalculateNormals();
    m->AlignVertices(12);
    m->CalculateBounds();
    // The writer does not escape the texture name: only plain names read back.
    bool plain = !m->texture_name || !strpbrk(m->texture_name, "\"<>&\r\n\t");
    if (plain && m->Save("res://model-out.xml")) {
        Model back;
        back.Load("res://model-out.xml");
        if (back.vertex_count != m->vertex_count || back.index_count != m->index_count)
            __builtin_trap();
        dman().ReleaseAllDatabases();
    }
    model_man.ReleaseModel(m);
    if (model_man.GetNumberOfModels() != 0)
        __builtin_trap();
    return 0;
}
