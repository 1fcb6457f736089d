// Models and their manager (see model.h): reading and writing model files, bounds,
// alignment, normals and drawing.
#include "app/ui/model.h"

#include "app/services/dataman.h"
#include "ovrecords.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

ModelManager model_man;

namespace {

float ValueFloat(const DMNode *node, const char *key)
{
    const char *v = node ? node->GetValue(key) : nullptr;
    return v ? (float)atof(v) : 0.0f;
}

vec3_t Sub(vec3_t a, vec3_t b)
{
    return vec3_t{a.x - b.x, a.y - b.y, a.z - b.z};
}

// x / sqrt(length) by the bit-pattern estimate and one Newton step.
float FastInverseSqrt(float x)
{
    float half = 0.5f * x;
    uint32_t bits;
    memcpy(&bits, &x, sizeof bits);
    bits = 0x5f3759df - (bits >> 1);
    float y;
    memcpy(&y, &bits, sizeof y);
    return y * (1.5f - half * y * y);
}

vec3_t Normalised(vec3_t v)
{
    float f = FastInverseSqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return vec3_t{v.x * f, v.y * f, v.z * f};
}

char *Copy(const char *text)
{
    return text ? strdup(text) : nullptr;
}

// Formatted write through the engine's file call; false once a write fails.
bool Write(ov_file_t *f, const char *format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0)
        return false;
    if (n >= (int)sizeof line)
        n = sizeof line - 1;
    return ov->OV_WriteFile(line, (unsigned)n, f) == (unsigned)n;
}

void PushMatrix(const float (&m)[16])
{
    nTransform t;
    memcpy(t.m, m, sizeof t.m);
    ov->OV_PushTransform(&t);
}

}  // namespace

Model::Model(int vertexCount, int indexCount)
{
    Init(vertexCount, indexCount);
}

Model::~Model()
{
    Free();
    if (texture && ov)
        ov->OV_ReleaseBitmap(texture);
    free(texture_name);
    free(name);
}

void Model::Init(int vertexCount, int indexCount)
{
    Free();
    if (vertexCount < 0)
        vertexCount = 0;
    if (indexCount < 0)
        indexCount = 0;
    size_t nv = (size_t)vertexCount, ni = (size_t)indexCount;
    positions = (vec3_t *)calloc(nv ? nv : 1, sizeof(vec3_t));
    normals = (vec3_t *)calloc(nv ? nv : 1, sizeof(vec3_t));
    colours = (uint32_t *)calloc(nv ? nv : 1, sizeof(uint32_t));
    uvs = (float *)calloc(nv ? nv * 2 : 1, sizeof(float));
    indices = (uint16_t *)calloc(ni ? ni : 1, sizeof(uint16_t));
    draw_vertices = (ov_vertex3d_t *)calloc(nv ? nv : 1, sizeof(ov_vertex3d_t));
    if (!positions || !normals || !colours || !uvs || !indices || !draw_vertices) {
        Free();
        return;
    }
    vertex_count = vertexCount;
    index_count = indexCount;
}

void Model::Free()
{
    free(positions);
    free(normals);
    free(colours);
    free(uvs);
    free(indices);
    free(draw_vertices);
    free(valid_indices_);
    positions = normals = nullptr;
    colours = nullptr;
    uvs = nullptr;
    indices = valid_indices_ = nullptr;
    draw_vertices = nullptr;
    vertex_count = index_count = valid_index_count_ = 0;
}

void Model::Load(const char *file)
{
    if (name != file) {
        free(name);
        name = Copy(file);
    }
    DMDatabase *db = dman().GetDatabase(file ? file : "");
    DMArray *surfaces = db->GetArray("SURFACES");
    DMNode *surface = surfaces ? surfaces->GetNode(0) : nullptr;
    const char *tex = surface ? surface->GetValue("texture") : nullptr;
    if (!tex && surface)
        tex = surface->GetValue("material");  // what Save writes
    free(texture_name);
    texture_name = Copy(tex);
    if (texture)
        ov->OV_ReleaseBitmap(texture);
    texture = ov->OV_LoadBitmap(texture_name, 4);

    DMArray *vertices = db->GetArray("SURFACE_0_VERTICES");
    DMArray *index_list = db->GetArray("SURFACE_0_INDICES");
    Init(vertices ? vertices->GetSize() : 0, index_list ? index_list->GetSize() : 0);
    for (int i = 0; i < vertex_count; i++) {
        const DMNode *n = vertices->GetNode(i);
        positions[i] = vec3_t{ValueFloat(n, "x"), ValueFloat(n, "y"), ValueFloat(n, "z")};
        normals[i] = vec3_t{ValueFloat(n, "nx"), ValueFloat(n, "ny"), ValueFloat(n, "nz")};
        uvs[2 * i] = ValueFloat(n, "u");
        uvs[2 * i + 1] = ValueFloat(n, "v");
    }
    for (int i = 0; i < index_count; i++) {
        const DMNode *n = index_list->GetNode(i);
        const char *v = n ? n->GetValue("i") : nullptr;
        int value = v ? atoi(v) : 0;
        indices[i] = (uint16_t)value;
        if (indices[i] >= vertex_count)
            ov->OV_Popupf(1, "Index #%d = %d out of range (%d vertices).", i, (int)indices[i], vertex_count);
    }
    dman().ReleaseDatabase(db);

    CalculateBounds();
    AlignVertices(0);
    for (int i = 0; i < vertex_count; i++) {
        ov_vertex3d_t &d = draw_vertices[i];
        d.x = positions[i].x;
        d.y = positions[i].y;
        d.z = positions[i].z;
        memset(d.color, 255, sizeof d.color);
        d.u = uvs[2 * i];
        d.v = uvs[2 * i + 1];
    }
    CollectValidTriangles();
    ov->OV_Printf("Loaded model '%s' with %d vertices and %d indices.", file ? file : "", vertex_count, index_count);
}

void Model::CollectValidTriangles()
{
    free(valid_indices_);
    valid_indices_ = nullptr;
    valid_index_count_ = 0;
    int triangles = index_count / 3;
    if (triangles <= 0)
        return;
    valid_indices_ = (uint16_t *)malloc(sizeof(uint16_t) * 3 * (size_t)triangles);
    if (!valid_indices_)
        return;
    for (int t = 0; t < triangles; t++) {
        const uint16_t *tri = indices + 3 * t;
        if (tri[0] < vertex_count && tri[1] < vertex_count && tri[2] < vertex_count) {
            memcpy(valid_indices_ + valid_index_count_, tri, 3 * sizeof(uint16_t));
            valid_index_count_ += 3;
        }
    }
}

bool Model::Save(const char *file)
{
    ov_file_t *f = file ? ov->OV_OpenFile(file, "w") : nullptr;
    if (!f)
        return false;
    bool ok = Write(f, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n") && Write(f, "<root>\n") && Write(f, "\n");
    ok = ok && Write(f, " <array id=\"%s\">\n", "INFO") &&
         Write(f, "  <node id=\"num_vertices\" value=\"%d\" >\n", vertex_count) &&
         Write(f, "  <node id=\"num_indices\" value=\"%d\" >\n", index_count) && Write(f, " </array>\n\n");
    ok = ok && Write(f, " <array id=\"%s\">\n", "SURFACES") &&
         Write(f,
               "  <node id=\"0\" primitive_format=\"TRIANGLES\" vertex_format=\"POSITION,NORMAL,TEXTURE_UV\" "
               "material=\"%s\" >\n",
               texture_name ? texture_name : "") &&
         Write(f, " </array>\n\n");
    ok = ok && Write(f, " <array id=\"%s\">\n", "SURFACE_0_VERTICES");
    for (int i = 0; ok && i < vertex_count; i++) {
        ok = Write(f, "  <node x=\"%g\" y=\"%g\" z=\"%g\" ", positions[i].x, positions[i].y, positions[i].z);
        if (ok && normals)
            ok = Write(f, "nx=\"%g\" ny=\"%g\" nz=\"%g\" ", normals[i].x, normals[i].y, normals[i].z);
        if (ok && uvs)
            ok = Write(f, "u=\"%g\" v=\"%g\" ", uvs[2 * i], uvs[2 * i + 1]);
        ok = ok && Write(f, ">\n");
    }
    ok = ok && Write(f, " </array>\n\n") && Write(f, " <array id=\"%s\">\n", "SURFACE_0_INDICES");
    for (int i = 0; ok && i < index_count; i++)
        ok = Write(f, "  <node i=\"%d\" >\n", (int)indices[i]);
    ok = ok && Write(f, " </array>\n") && Write(f, "</root>\n");
    bool closed = ov->OV_CloseFile(f) == 0;
    return ok && closed;
}

void Model::CalculateBounds()
{
    if (vertex_count <= 0 || !positions) {
        bounds_min = bounds_max = bounds_centre = vec3_t{0, 0, 0};
        radius = 0;
        return;
    }
    bounds_min = bounds_max = positions[0];
    for (int i = 1; i < vertex_count; i++) {
        const vec3_t &p = positions[i];
        bounds_min = vec3_t{fminf(bounds_min.x, p.x), fminf(bounds_min.y, p.y), fminf(bounds_min.z, p.z)};
        bounds_max = vec3_t{fmaxf(bounds_max.x, p.x), fmaxf(bounds_max.y, p.y), fmaxf(bounds_max.z, p.z)};
    }
    bounds_centre = vec3_t{(bounds_min.x + bounds_max.x) / 2, (bounds_min.y + bounds_max.y) / 2,
                           (bounds_min.z + bounds_max.z) / 2};
    float largest = 0;
    for (int i = 0; i < vertex_count; i++) {
        vec3_t d = Sub(positions[i], bounds_centre);
        largest = fmaxf(largest, d.x * d.x + d.y * d.y + d.z * d.z);
    }
    radius = sqrtf(largest);
}

void Model::AlignVertices(int mode)
{
    CalculateBounds();
    vec3_t offset = {0, 0, 0};
    if (mode == 12)
        offset = bounds_centre;
    else if (mode == 0)
        offset = vec3_t{bounds_centre.x, bounds_centre.y, bounds_min.z};
    for (int i = 0; i < vertex_count; i++)
        positions[i] = Sub(positions[i], offset);
}

void Model::CalculateNormals()
{
    for (int i = 0; i < vertex_count; i++)
        normals[i] = vec3_t{0, 0, 0};
    for (int t = 0; t + 2 < index_count; t += 3) {
        int a = indices[t], b = indices[t + 1], c = indices[t + 2];
        if (a >= vertex_count || b >= vertex_count || c >= vertex_count)
            continue;
        vec3_t e = Sub(positions[b], positions[a]), g = Sub(positions[c], positions[a]);
        vec3_t n = {e.y * g.z - e.z * g.y, e.z * g.x - e.x * g.z, e.x * g.y - e.y * g.x};
        n = Normalised(n);
        for (int v : {a, b, c})
            normals[v] = vec3_t{normals[v].x + n.x, normals[v].y + n.y, normals[v].z + n.z};
    }
    for (int i = 0; i < vertex_count; i++)
        normals[i] = Normalised(normals[i]);
}

void Model::Draw(vec3_t position, float angle, float scale)
{
    const float translation[16] = {1, 0, 0, position.x, 0, 1, 0, position.y, 0, 0, 1, position.z, 0, 0, 0, 1};
    const float scaling[16] = {scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, scale, 0, 0, 0, 0, 1};
    float c = cosf(angle), s = sinf(angle);
    const float rotation[16] = {c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    PushMatrix(translation);
    PushMatrix(scaling);
    PushMatrix(rotation);
    ov->OV_SetRenderStatei(OV_RS_CULL_MODE, 2);
    if (valid_index_count_ > 0)
        ov->OV_DrawTriangles(texture, draw_vertices, vertex_count, valid_indices_, valid_index_count_);
    ov->OV_SetRenderStatei(OV_RS_CULL_MODE, 0);
    ov->OV_PopTransform();
    ov->OV_PopTransform();
    ov->OV_PopTransform();
}

ModelManager::ModelManager()
{
    models_.SetShrink(true);
}

ModelManager::~ModelManager() = default;

Model *ModelManager::LoadModel(const char *file)
{
    for (int i = 0; i < models_.Count(); i++) {
        Model *m = models_[i];
        if (m->name && file && strcmp(m->name, file) == 0) {
            m->reference_count++;
            return m;
        }
    }
    Model *m = new Model();
    m->name = Copy(file);
    m->Load(file);
    models_.InsertLast(m);
    return m;
}

void ModelManager::ReleaseModel(Model *model)
{
    if (!model)
        return;
    int index = -1;
    for (int i = 0; i < models_.Count(); i++)
        if (models_[i] == model)
            index = i;
    // A model no longer listed has been destroyed: nothing may be read from it.
    if (index < 0) {
        ov->OV_Popupf(1, "ModelManager::ReleaseModel trying to release a model that is not loaded.");
        return;
    }
    if (model->reference_count < 1) {
        ov->OV_Popupf(1, "ModelManager::ReleaseModel '%s' trying to release model with reference count %d.",
                      model->name ? model->name : "", model->reference_count);
        return;
    }
    if (--model->reference_count > 0)
        return;
    model->Free();
    models_.Remove(index);
    delete model;
}
