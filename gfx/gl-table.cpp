// Fills the renderer's GL function table from libGLESv1_CM and, for the framebuffer
// object entry points that the library does not export on Linux, from EGL.
#include "gfx/gl-table.h"

#include <EGL/egl.h>

ov_gl_table_t ovgl;

template <typename F>
static void Resolve(F *slot, const char *name)
{
    *slot = reinterpret_cast<F>(eglGetProcAddress(name));
}

void OVGL_LoadTable()
{
    ovgl.Enable = glEnable;
    ovgl.Disable = glDisable;
    ovgl.EnableClientState = glEnableClientState;
    ovgl.DisableClientState = glDisableClientState;
    ovgl.BlendFunc = glBlendFunc;
    ovgl.TexEnvi = glTexEnvi;
    ovgl.AlphaFunc = glAlphaFunc;
    ovgl.FrontFace = glFrontFace;
    ovgl.DepthFunc = glDepthFunc;
    ovgl.DepthMask = glDepthMask;
    ovgl.CullFace = glCullFace;
    ovgl.ColorMask = glColorMask;
    ovgl.ClearColor = glClearColor;
    ovgl.ClearDepthf = glClearDepthf;
    ovgl.Clear = glClear;
    ovgl.Viewport = glViewport;
    ovgl.Scissor = glScissor;
    ovgl.MatrixMode = glMatrixMode;
    ovgl.LoadMatrixf = glLoadMatrixf;
    ovgl.LoadIdentity = glLoadIdentity;
    ovgl.MultMatrixf = glMultMatrixf;
    ovgl.Hint = glHint;
    ovgl.VertexPointer = glVertexPointer;
    ovgl.ColorPointer = glColorPointer;
    ovgl.TexCoordPointer = glTexCoordPointer;
    ovgl.DrawElements = glDrawElements;
    ovgl.DrawArrays = glDrawArrays;
    ovgl.GenTextures = glGenTextures;
    ovgl.DeleteTextures = glDeleteTextures;
    ovgl.BindTexture = glBindTexture;
    ovgl.TexParameteri = glTexParameteri;
    ovgl.TexImage2D = glTexImage2D;
    ovgl.GetError = glGetError;
    ovgl.GetString = glGetString;
    ovgl.ReadPixels = glReadPixels;
    Resolve(&ovgl.GenFramebuffersOES, "glGenFramebuffersOES");
    Resolve(&ovgl.DeleteFramebuffersOES, "glDeleteFramebuffersOES");
    Resolve(&ovgl.BindFramebufferOES, "glBindFramebufferOES");
    Resolve(&ovgl.FramebufferTexture2DOES, "glFramebufferTexture2DOES");
    Resolve(&ovgl.CheckFramebufferStatusOES, "glCheckFramebufferStatusOES");
}

bool OVGL_HasFramebufferObjects()
{
    return ovgl.GenFramebuffersOES && ovgl.DeleteFramebuffersOES && ovgl.BindFramebufferOES &&
           ovgl.FramebufferTexture2DOES && ovgl.CheckFramebufferStatusOES;
}
