#include "StartupNoise.h"

#include <QLoggingCategory>
#include <QString>

namespace kelvo {

namespace {

Q_LOGGING_CATEGORY(startupLog, "kelvo.startup", QtCriticalMsg)

QtMessageHandler previousHandler = nullptr;

// Qt writes the notes as plain warnings, in no category of their own. The engine's second note
// says that it found no OpenGL to draw with, where it draws in software as planned.
void filterStartupNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && !startupLog().isWarningEnabled()
        && (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))
            || message.startsWith(QLatin1String("No suitable graphics backend found"))))
        return;
    previousHandler(type, context, message);
}

} // namespace

void quietStartupNoise()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    previousHandler = qInstallMessageHandler(filterStartupNotes);
}

} // namespace kelvo
