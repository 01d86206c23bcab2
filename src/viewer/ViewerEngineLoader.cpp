#include "ViewerEngineLoader.h"

#include "EngineDrawing.h"
#include "ViewerLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <cstdio>
#include <optional>

// Qt's own setter of the context that every OpenGL context of the program shares (exported by
// Qt GUI, declared in a private header).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace kelvo::viewerengine {

namespace {

std::optional<QStringList> &folderOverride()
{
    static std::optional<QStringList> folders;
    return folders;
}

QtMessageHandler previousHandler = nullptr;

// Qt warns that the attribute belongs before QApplication, which is where it would cost the
// start-up the context below; the attribute still takes effect for everything made after it.
void setShareAttributeQuietly()
{
    previousHandler
        = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
              if (type == QtWarningMsg && text.startsWith(u"Attribute") && text.contains(u"before QCoreApplication"))
                  return;
              if (previousHandler)
                  previousHandler(type, context, text);
              else
                  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
          });
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(previousHandler);
}

// The web engine draws through OpenGL contexts that share one global context. Made before the
// application object, the context would cost every start-up its time (a software rasteriser
// under a virtual display); made here, it exists before the engine's library is loaded, which
// the engine checks as it loads.
void prepareSharedContext()
{
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        setShareAttributeQuietly();
    if (QOpenGLContext::globalShareContext())
        return;
    auto *context = new QOpenGLContext;
    context->create();
    qt_gl_set_global_share_context(context);
    qAddPostRoutine([] {
        QOpenGLContext *shared = QOpenGLContext::globalShareContext();
        qt_gl_set_global_share_context(nullptr);
        delete shared;
    });
}

QString rendererOf(QOpenGLContext *context)
{
    if (!context || !context->isValid())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context->format());
    surface.create();
    if (!context->makeCurrent(&surface))
        return {};
    const auto *name = reinterpret_cast<const char *>(context->functions()->glGetString(GL_RENDERER));
    const QString renderer = QString::fromLatin1(name ? name : "");
    context->doneCurrent();
    return renderer;
}

// With software drawing nothing in the program needs OpenGL, but the engine still asks Qt's X11
// OpenGL integration about its configuration as it starts, and that loads Mesa and its compiler
// all the same. Qt settles on an integration once, when first asked: asked now with none chosen,
// it loads nothing. The environment is left as it was for the programs Kelvo starts.
void settleWithoutOpenGL()
{
    static constexpr char Variable[] = "QT_XCB_GL_INTEGRATION";
    if (qEnvironmentVariableIsSet(Variable))
        return;
    qputenv(Variable, "none");
    QOpenGLContext::supportsThreadedOpenGL();
    qunsetenv(Variable);
}

// Decided once for the run, before the engine's library is first loaded.
enginedrawing::Drawing settleDrawing()
{
    using enginedrawing::Drawing;
    static const Drawing drawing = [] {
        enginedrawing::Facts facts = enginedrawing::gatherFacts();
        Drawing chosen = enginedrawing::choose(facts);
        if (chosen == Drawing::AskRenderer) {
            prepareSharedContext();
            facts.renderer = rendererOf(QOpenGLContext::globalShareContext());
            chosen = enginedrawing::choose(facts);
        }
        if (chosen == Drawing::AskRenderer)
            chosen = Drawing::OpenGL;
        if (chosen == Drawing::OpenGL)
            prepareSharedContext();
        else if (!QOpenGLContext::globalShareContext())
            settleWithoutOpenGL();
        // The engine warns as it loads when the attribute is missing, whichever way it draws.
        if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
            setShareAttributeQuietly();
        qCDebug(lcViewer).noquote() << "the engine draws"
                                    << (chosen == Drawing::Software ? "in software" : "with OpenGL") << "on"
                                    << facts.platform << "renderer:" << facts.renderer
                                    << "graphics device:" << facts.graphicsDevice;
        return chosen;
    }();
    return drawing;
}

} // namespace

QStringList searchFolders()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList folders;
    for (const QString &relative : { QStringLiteral(KELVO_ENGINE_INSTALLED_DIR), QStringLiteral("../lib/kelvo") }) {
        const QString folder = QDir::cleanPath(programDir.absoluteFilePath(relative));
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

LoadedEngine loadFrom(const QStringList &folders)
{
    LoadedEngine loaded;
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(FileName));
        if (QFileInfo::exists(path)) {
            loaded.path = path;
            break;
        }
    }
    if (loaded.path.isEmpty()) {
        loaded.error
            = QStringLiteral("no %1 in %2").arg(QString::fromLatin1(FileName), folders.join(QStringLiteral(", ")));
        return loaded;
    }
    const bool software = settleDrawing() == enginedrawing::Drawing::Software;
    QLibrary library(loaded.path);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        loaded.error = library.errorString();
        return loaded;
    }
    const auto build = reinterpret_cast<BuildFunction>(library.resolve(BuildSymbol));
    const auto create = reinterpret_cast<CreateFunction>(library.resolve(CreateSymbol));
    const auto useSoftware = reinterpret_cast<SoftwareDrawingFunction>(library.resolve(SoftwareDrawingSymbol));
    if (!build || !create || !useSoftware) {
        loaded.error = QStringLiteral("%1 is not the viewer's engine library").arg(loaded.path);
        return loaded;
    }
    if (qstrcmp(build(), Build) != 0) {
        loaded.error = QStringLiteral("%1 was built for %2, the program is %3")
                           .arg(loaded.path, QString::fromLatin1(build()), QString::fromLatin1(Build));
        return loaded;
    }
    if (software)
        useSoftware();
    loaded.create = create;
    return loaded;
}

const LoadedEngine &programEngine()
{
    static const LoadedEngine engine = [] {
        LoadedEngine loaded = loadFrom(folderOverride().value_or(searchFolders()));
        if (!loaded.create)
            qCWarning(lcViewer).noquote() << "the web engine could not be loaded:" << loaded.error;
        return loaded;
    }();
    return engine;
}

void setSearchFolders(const QStringList &folders)
{
    folderOverride() = folders;
}

} // namespace kelvo::viewerengine
