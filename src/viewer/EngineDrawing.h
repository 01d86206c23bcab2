#pragma once

#include <QString>

// How the web engine draws its pages: through OpenGL, or in software with Qt Quick's software
// adaptation. Where OpenGL is itself a software rasteriser (Mesa's llvmpipe, softpipe or swrast,
// as under a virtual display or on a machine without a graphics device), drawing through it maps
// the rasteriser and its compiler into the program (about 60 MB) and redraws more slowly than the
// software adaptation; on a real graphics processor the engine keeps OpenGL.
namespace kelvo::enginedrawing {

enum class Drawing {
    OpenGL,
    Software,
    AskRenderer, // only the OpenGL renderer's name can tell
};

// What the choice is made from.
struct Facts
{
    QString platform; // Qt's platform plug-in: "xcb", "wayland", "offscreen", ...
    QString userBackend; // QT_QUICK_BACKEND as the user set it, empty if unset
    bool softwareGLForced = false; // LIBGL_ALWAYS_SOFTWARE
    bool graphicsDevice = false; // a DRM device or NVIDIA's: without one, OpenGL is software
    QString renderer; // GL_RENDERER of a context made for the purpose, empty before
};

// The rule.
Drawing choose(const Facts &facts);

// Whether an OpenGL renderer's name is that of a software rasteriser.
bool isSoftwareRenderer(const QString &renderer);

// The facts of this run, but the renderer: environment, platform, device files.
Facts gatherFacts();

} // namespace kelvo::enginedrawing
