// Fills the renderer's GL function table from the window system of the context in use
// (EGL or GLX): both hand out entry points that call into whatever context is current.
#include "gfx/gl-table.h"
#include "gfx/redraw.h"

#include <string.h>

ov_gl_table_t ovgl;

namespace {

template <typename F>
bool Resolve(ov_gl_loader_t loader, F *slot, const char *name)
{
    *slot = reinterpret_cast<F>(loader(name));
    return *slot != nullptr;
}

}  // namespace

bool OVGL_LoadTable(ov_gl_loader_t loader)
{
    if (!loader)
        return false;
    ov_gl_table_t t;
    memset(&t, 0, sizeof t);
    bool ok = true;
#define OVGL_REQUIRED(field, name) ok = Resolve(loader, &t.field, name) && ok
    OVGL_REQUIRED(Enable, "glEnable");
    OVGL_REQUIRED(Disable, "glDisable");
    OVGL_REQUIRED(EnableClientState, "glEnableClientState");
    OVGL_REQUIRED(DisableClientState, "glDisableClientState");
    OVGL_REQUIRED(BlendFunc, "glBlendFunc");
    OVGL_REQUIRED(TexEnvi, "glTexEnvi");
    OVGL_REQUIRED(AlphaFunc, "glAlphaFunc");
    OVGL_REQUIRED(FrontFace, "glFrontFace");
    OVGL_REQUIRED(DepthFunc, "glDepthFunc");
    OVGL_REQUIRED(DepthMask, "glDepthMask");
    OVGL_REQUIRED(CullFace, "glCullFace");
    OVGL_REQUIRED(ColorMask, "glColorMask");
    OVGL_REQUIRED(ClearColor, "glClearColor");
    OVGL_REQUIRED(ClearDepthf, "glClearDepthf");
    OVGL_REQUIRED(Clear, "glClear");
    OVGL_REQUIRED(Viewport, "glViewport");
    OVGL_REQUIRED(Scissor, "glScissor");
    OVGL_REQUIRED(MatrixMode, "glMatrixMode");
    OVGL_REQUIRED(LoadMatrixf, "glLoadMatrixf");
    OVGL_REQUIRED(LoadIdentity, "glLoadIdentity");
    OVGL_REQUIRED(MultMatrixf, "glMultMatrixf");
    OVGL_REQUIRED(Hint, "glHint");
    OVGL_REQUIRED(VertexPointer, "glVertexPointer");
    OVGL_REQUIRED(ColorPointer, "glColorPointer");
    OVGL_REQUIRED(TexCoordPointer, "glTexCoordPointer");
    OVGL_REQUIRED(DrawElements, "glDrawElements");
    OVGL_REQUIRED(DrawArrays, "glDrawArrays");
    OVGL_REQUIRED(GenTextures, "glGenTextures");
    OVGL_REQUIRED(DeleteTextures, "glDeleteTextures");
    OVGL_REQUIRED(BindTexture, "glBindTexture");
    OVGL_REQUIRED(TexParameteri, "glTexParameteri");
    OVGL_REQUIRED(TexImage2D, "glTexImage2D");
    OVGL_REQUIRED(GetError, "glGetError");
    OVGL_REQUIRED(GetString, "glGetString");
    OVGL_REQUIRED(ReadPixels, "glReadPixels");
    OVGL_REQUIRED(Flush, "glFlush");
    OVGL_REQUIRED(Finish, "glFinish");
#undef OVGL_REQUIRED
    if (!ok)
        return false;
    Resolve(loader, &t.GenFramebuffersOES, "glGenFramebuffersOES");
    Resolve(loader, &t.DeleteFramebuffersOES, "glDeleteFramebuffersOES");
    Resolve(loader, &t.BindFramebufferOES, "glBindFramebufferOES");
    Resolve(loader, &t.FramebufferTexture2DOES, "glFramebufferTexture2DOES");
    Resolve(loader, &t.CheckFramebufferStatusOES, "glCheckFramebufferStatusOES");
    // The renderer calls the driver through the stubs that record frames (gfx/redraw.h).
    ovgl = OV_RedrawInstall(t);
    return true;
}

bool OVGL_HasFramebufferObjects()
{
    return ovgl.GenFramebuffersOES && ovgl.DeleteFramebuffersOES && ovgl.BindFramebufferOES &&
           ovgl.FramebufferTexture2DOES && ovgl.CheckFramebufferStatusOES;
}
