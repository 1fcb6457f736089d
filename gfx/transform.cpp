// The transform stack (32 complete matrices; the top is handed to the renderer) and
// the vertex-processor stack (16 callbacks; a null callback hides those below it).
#include "gfx/transform.h"
#include "core/ov_state.h"
#include "gfx/rendimp.h"

#include <math.h>

namespace {

struct VertexProcessor {
    ov_vertex_proc_fn fn;
    void *user;
};

nTransform s_transforms[OV_TRANSFORM_DEPTH];
VertexProcessor s_processors[OV_VERTEX_PROCESSOR_DEPTH];

void HandTopToRenderer()
{
    if (!ov_rendimp)
        return;
    nTransform top = OV_PeekTransform();
    ov_rendimp->SetTransform(&top);
}

void RecomputeFirstActive()
{
    ov_state.vertex_processor_first = 0;
    for (int i = ov_state.vertex_processor_top; i >= 0; i--) {
        if (!s_processors[i].fn) {
            ov_state.vertex_processor_first = i + 1;
            return;
        }
    }
}

}  // namespace

nTransform OVI_Identity()
{
    nTransform t = {};
    t.m[0] = t.m[5] = t.m[10] = t.m[15] = 1.0f;
    return t;
}

nTransform OVI_MulTransform(const nTransform &a, const nTransform &b)
{
    nTransform r;
    for (int row = 0; row < 4; row++)
        for (int c = 0; c < 4; c++) {
            float sum = 0;
            for (int k = 0; k < 4; k++)
                sum += a.m[4 * row + k] * b.m[4 * k + c];
            r.m[4 * row + c] = sum;
        }
    return r;
}

nTransform OVI_Translation(float x, float y, float z)
{
    nTransform t = OVI_Identity();
    t.m[3] = x;
    t.m[7] = y;
    t.m[11] = z;
    return t;
}

nTransform OVI_Scaling(float x, float y, float z)
{
    nTransform t = OVI_Identity();
    t.m[0] = x;
    t.m[5] = y;
    t.m[10] = z;
    return t;
}

nTransform OVI_RotationZ(float degrees)
{
    float a = degrees * (float)M_PI / 180.0f;
    nTransform t = OVI_Identity();
    t.m[0] = cosf(a);
    t.m[1] = -sinf(a);
    t.m[4] = sinf(a);
    t.m[5] = cosf(a);
    return t;
}

// Pushes m (null: identity) combined with the matrix below it; ignored when full.
void OV_PushTransform(nTransform *m)
{
    if (ov_state.transform_top >= OV_TRANSFORM_DEPTH - 1)
        return;
    int top = ++ov_state.transform_top;
    if (!m)
        s_transforms[top] = OVI_Identity();
    else if (top == 0)
        s_transforms[top] = *m;
    else
        s_transforms[top] = OVI_MulTransform(s_transforms[top - 1], *m);
    HandTopToRenderer();
}

// Drops the top matrix; popping an empty stack is reported.
void OV_PopTransform(void)
{
    if (ov_state.transform_top < 0) {
        OV_Popupf(OV_WARNING, "Calling OV_PopTransform() too many times! Check your code!");
        return;
    }
    ov_state.transform_top--;
    HandTopToRenderer();
}

// The top matrix, or the identity when the stack is empty.
nTransform OV_PeekTransform(void)
{
    if (ov_state.transform_top < 0)
        return OVI_Identity();
    return s_transforms[ov_state.transform_top];
}

// Pushes a callback (null: a barrier hiding the ones below); ignored when full.
void OV_PushVertexProcessor(ov_vertex_proc_fn fn, void *user)
{
    if (ov_state.vertex_processor_top >= OV_VERTEX_PROCESSOR_DEPTH - 1)
        return;
    int top = ++ov_state.vertex_processor_top;
    s_processors[top].fn = fn;
    s_processors[top].user = user;
    if (!fn)
        ov_state.vertex_processor_first = top + 1;
}

// Drops the top callback; nothing on an empty stack.
void OV_PopVertexProcessor(void)
{
    if (ov_state.vertex_processor_top < 0)
        return;
    bool was_barrier = !s_processors[ov_state.vertex_processor_top].fn;
    ov_state.vertex_processor_top--;
    if (was_barrier)
        RecomputeFirstActive();
}

// Removes the first active entry with this callback and user pointer: 1, else 0.
int OV_RemoveVertexProcessor(ov_vertex_proc_fn fn, void *user)
{
    int top = ov_state.vertex_processor_top;
    for (int i = ov_state.vertex_processor_first; i <= top; i++) {
        if (s_processors[i].fn != fn || s_processors[i].user != user)
            continue;
        for (int j = i; j < top; j++)
            s_processors[j] = s_processors[j + 1];
        ov_state.vertex_processor_top--;
        return 1;
    }
    return 0;
}

// Runs the active processors on one vertex.
void OV_ProcessVertex(ov_vertex_t *v)
{
    OV_ApplyVertexProcessing(v, 1);
}

void OV_ApplyVertexProcessing(ov_vertex_t *vertices, int count)
{
    for (int i = ov_state.vertex_processor_first; i <= ov_state.vertex_processor_top; i++)
        if (s_processors[i].fn)
            s_processors[i].fn(vertices, count, s_processors[i].user);
}
