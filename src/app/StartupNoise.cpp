#include "StartupNoise.h"

#include <QLoggingCategory>
#include <QString>

namespace kelvo {

namespace {

Q_LOGGING_CATEGORY(startupLog, "kelvo.startup", QtCriticalMsg)

QtMessageHandler previousHandler = nullptr;

// Qt writes the note as a plain warning, in no category of its own.
void filterStartupNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))
        && !startupLog().isWarningEnabled())
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
