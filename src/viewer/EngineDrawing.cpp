#include "EngineDrawing.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace kelvo::enginedrawing {

Drawing choose(const Facts &facts)
{
    // The user's own choice of Qt Quick's backend stands.
    if (!facts.userBackend.isEmpty())
        return facts.userBackend == u"software" ? Drawing::Software : Drawing::OpenGL;
    // The device files say nothing about how OpenGL reaches the screen on other platforms.
    if (facts.platform != u"xcb")
        return Drawing::OpenGL;
    if (!facts.renderer.isEmpty())
        return isSoftwareRenderer(facts.renderer) ? Drawing::Software : Drawing::OpenGL;
    if (facts.softwareGLForced || !facts.graphicsDevice)
        return Drawing::Software;
    return Drawing::AskRenderer;
}

bool isSoftwareRenderer(const QString &renderer)
{
    // Hardware drivers may name LLVM too ("AMD Radeon ... (radeonsi, LLVM 15.0.6, ...)"): only
    // the rasterisers' own names count.
    for (const QLatin1String name : { QLatin1String("llvmpipe"), QLatin1String("softpipe"), QLatin1String("swrast"),
             QLatin1String("Software Rasterizer"), QLatin1String("SwiftShader") }) {
        if (renderer.contains(name, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

Facts gatherFacts()
{
    Facts facts;
    facts.platform = QGuiApplication::platformName();
    facts.userBackend = qEnvironmentVariable("QT_QUICK_BACKEND");
    facts.softwareGLForced = qEnvironmentVariableIntValue("LIBGL_ALWAYS_SOFTWARE") != 0;
    // Mesa's hardware drivers need a DRM device; NVIDIA's own driver has device files of its own.
    facts.graphicsDevice = !QDir(QStringLiteral("/dev/dri")).entryList(QDir::System | QDir::Files).isEmpty()
        || QFileInfo::exists(QStringLiteral("/dev/nvidiactl"));
    return facts;
}

} // namespace kelvo::enginedrawing
