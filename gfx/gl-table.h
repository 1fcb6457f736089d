// The OpenGL ES 1.x entry points the renderer uses, called through one table of
// function pointers so that tests can wrap single calls (count draws, watch state)
// while the real driver still does the work.
#ifndef OV_GL_TABLE_H
#define OV_GL_TABLE_H

#include <GLES/gl.h>
#include <GLES/glext.h>

struct ov_gl_table_t {
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
    void (*EnableClientState)(GLenum array);
    void (*DisableClientState)(GLenum array);
    void (*BlendFunc)(GLenum sfactor, GLenum dfactor);
    void (*TexEnvi)(GLenum target, GLenum pname, GLint param);
    void (*AlphaFunc)(GLenum func, GLclampf ref);
    void (*FrontFace)(GLenum mode);
    void (*DepthFunc)(GLenum func);
    void (*DepthMask)(GLboolean flag);
    void (*CullFace)(GLenum mode);
    void (*ColorMask)(GLboolean r, GLboolean g, GLboolean b, GLboolean a);
    void (*ClearColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
    void (*ClearDepthf)(GLclampf depth);
    void (*Clear)(GLbitfield mask);
    void (*Viewport)(GLint x, GLint y, GLsizei w, GLsizei h);
    void (*Scissor)(GLint x, GLint y, GLsizei w, GLsizei h);
    void (*MatrixMode)(GLenum mode);
    void (*LoadMatrixf)(const GLfloat *m);
    void (*LoadIdentity)(void);
    void (*MultMatrixf)(const GLfloat *m);
    void (*Hint)(GLenum target, GLenum mode);
    void (*VertexPointer)(GLint size, GLenum type, GLsizei stride, const void *p);
    void (*ColorPointer)(GLint size, GLenum type, GLsizei stride, const void *p);
    void (*TexCoordPointer)(GLint size, GLenum type, GLsizei stride, const void *p);
    void (*DrawElements)(GLenum mode, GLsizei count, GLenum type, const void *indices);
    void (*DrawArrays)(GLenum mode, GLint first, GLsizei count);
    void (*GenTextures)(GLsizei n, GLuint *textures);
    void (*DeleteTextures)(GLsizei n, const GLuint *textures);
    void (*BindTexture)(GLenum target, GLuint texture);
    void (*TexParameteri)(GLenum target, GLenum pname, GLint param);
    void (*TexImage2D)(GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLint border,
                       GLenum format, GLenum type, const void *pixels);
    GLenum (*GetError)(void);
    const GLubyte *(*GetString)(GLenum name);
    void (*ReadPixels)(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void *pixels);
    void (*Flush)(void);
    void (*Finish)(void);
    // Framebuffer objects of the OES extension; null when the driver does not offer them.
    void (*GenFramebuffersOES)(GLsizei n, GLuint *fbs);
    void (*DeleteFramebuffersOES)(GLsizei n, const GLuint *fbs);
    void (*BindFramebufferOES)(GLenum target, GLuint fb);
    void (*FramebufferTexture2DOES)(GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level);
    GLenum (*CheckFramebufferStatusOES)(GLenum target);
};

// The table every GL call of the renderer goes through.
extern ov_gl_table_t ovgl;

// Looks up one GL entry point by name in the window system that made the context.
typedef void (*(*ov_gl_loader_t)(const char *name))(void);

// Fills the table from the context in use: every entry through the loader of the window
// system that made it current (EGL or GLX). False, with the table left as it was, when
// a function every context has is missing; the framebuffer-object ones may be null.
bool OVGL_LoadTable(ov_gl_loader_t loader);
// True when all framebuffer-object entry points were found.
bool OVGL_HasFramebufferObjects();

#endif
