// Models: textured triangle meshes read from application XML databases (arrays
// "SURFACES", "SURFACE_0_VERTICES", "SURFACE_0_INDICES") through the data registry and
// drawn with the engine's indexed-triangle call. Loading centres the mesh on its bounds,
// so that drawing at a position puts its horizontal centre and its lowest depth there.
// The global `model_man` shares models by file name and counts their references.
// Main thread only.
#ifndef APP_UI_MODEL_H
#define APP_UI_MODEL_H

#include "narray.h"
#include "orvex.h"

#include <stdint.h>

struct vec3_t {
    float x, y, z;
};

class Model {
public:
    // An empty model with reference count 1.
    Model() = default;
    // Init(vertexCount, indexCount).
    Model(int vertexCount, int indexCount);
    // Free, the texture reference given back, the names freed.
    ~Model();
    Model(const Model &) = delete;
    Model &operator=(const Model &) = delete;

    // Records both counts and allocates every per-vertex array and the indices (zeroed);
    // negative counts are 0, a failed allocation leaves an empty model.
    void Init(int vertexCount, int indexCount);
    // Reads the model file (a missing file or array gives an empty model); reports
    // indices not below the vertex count, aligns the mesh and fills the draw vertices.
    void Load(const char *file);
    // Writes the model file (texture as "material"); false when it cannot be written.
    bool Save(const char *file);
    // Draws at position, turned by angle (radians) about the depth axis, scaled, with
    // back faces culled; triangles with an index out of range are not drawn.
    void Draw(vec3_t position, float angle, float scale);
    // Normals from the triangles (face normals summed per vertex, normalised).
    void CalculateNormals();
    // Axis-aligned bounds, their centre and the radius around it (zero without vertices).
    void CalculateBounds();
    // Shifts every position: 12 by the centre; 0 by (centre x, centre y, minimum z);
    // anything else not at all. Bounds are not recalculated.
    void AlignVertices(int mode);
    // Frees the per-vertex arrays and the indices; the counts become 0.
    void Free();

    char *name = nullptr;
    int32_t reference_count = 1;
    vec3_t *positions = nullptr;
    int32_t vertex_count = 0;
    vec3_t *normals = nullptr;
    uint32_t *colours = nullptr;
    float *uvs = nullptr;  // (u, v) per vertex
    uint16_t *indices = nullptr;
    int32_t index_count = 0;
    ov_bitmap_t *texture = nullptr;
    char *texture_name = nullptr;
    ov_vertex3d_t *draw_vertices = nullptr;
    vec3_t bounds_min = {0, 0, 0}, bounds_max = {0, 0, 0}, bounds_centre = {0, 0, 0};
    float radius = 0;

private:
    // Indices of the triangles whose three indices are all in range (for drawing).
    uint16_t *valid_indices_ = nullptr;
    int32_t valid_index_count_ = 0;
    void CollectValidTriangles();
};

class ModelManager {
public:
    ModelManager();
    ~ModelManager();  // frees the list; models still referenced are not destroyed

    // The model of that file with one more reference, loaded on first use.
    Model *LoadModel(const char *file);
    // One reference less; destroyed and removed at 0. A null model does nothing; a model
    // not in the list, or one whose count is already below 1, gives a popup.
    void ReleaseModel(Model *model);
    int GetNumberOfModels() const { return models_.Count(); }

private:
    nArray<Model *> models_;
};

extern ModelManager model_man;

#endif
