// Matrix helpers and the two stacks that shape all drawing: the transform stack (its
// top goes to the renderer) and the vertex-processor stack (callbacks that edit the
// four vertices of every quad on the CPU side).
#ifndef OV_TRANSFORM_H
#define OV_TRANSFORM_H

#include "core/services.h"
#include "orvex.h"

enum { OV_TRANSFORM_DEPTH = 32, OV_VERTEX_PROCESSOR_DEPTH = 16 };

// The identity matrix.
nTransform OVI_Identity();
// a x b (b acts on a vertex first).
nTransform OVI_MulTransform(const nTransform &a, const nTransform &b);
nTransform OVI_Translation(float x, float y, float z);
nTransform OVI_Scaling(float x, float y, float z);
// Rotation about z by an angle in degrees.
nTransform OVI_RotationZ(float degrees);

// Slots 75-81 (OV_PushTransform .. OV_ProcessVertex) are declared with the other
// service entry points in core/services.h.
// Runs the active vertex processors over the vertices, lowest first.
void OV_ApplyVertexProcessing(ov_vertex_t *vertices, int count);

#endif
