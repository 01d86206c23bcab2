#include "ViewerEngineLoader.h"

#include "ViewerLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>

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
    prepareSharedContext();
    QLibrary library(loaded.path);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!library.load()) {
        loaded.error = library.errorString();
        return loaded;
    }
    const auto build = reinterpret_cast<BuildFunction>(library.resolve(BuildSymbol));
    const auto create = reinterpret_cast<CreateFunction>(library.resolve(CreateSymbol));
    if (!build || !create) {
        loaded.error = QStringLiteral("%1 is not the viewer's engine library").arg(loaded.path);
        return loaded;
    }
    if (qstrcmp(build(), Build) != 0) {
        loaded.error = QStringLiteral("%1 was built for %2, the program is %3")
                           .arg(loaded.path, QString::fromLatin1(build()), QString::fromLatin1(Build));
        return loaded;
    }
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
