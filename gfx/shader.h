// The shader record and its pool of 32, reached by the application through entry 0 of
// the extension table (OV_GetShader). The OpenGL ES renderer loads nothing for a shader;
// the record names it and tells its kind.
#ifndef OV_SHADER_H
#define OV_SHADER_H

#include <stdint.h>

enum {
    OV_MAX_SHADERS = 32,
    OV_SHADER_PLAIN = 0,
    OV_SHADER_DOT3_DIRECTIONAL = 1,  // the record named "!DOT3_DIRECTIONAL"
};

struct ov_shader_t {
    char *name;               // heap copy; "!NONE" for the record asked for with a null name
    int16_t refcount;         // 1 at creation; getting a record again does not count
    int16_t kind;             // OV_SHADER_DOT3_DIRECTIONAL or OV_SHADER_PLAIN
    void *renderer_data[4];   // the renderer's own words
};

// Names the record and sets its kind and reference count.
void OVI_InitShader(ov_shader_t *s, const char *name);
// The shader records in use (the pool's high-water count).
int OVI_GetShaderCount(void);

#endif
