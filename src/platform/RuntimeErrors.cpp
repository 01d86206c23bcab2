#include "RuntimeErrors.h"

#include "Localization.h"
#include "TextFormat.h"

ERuntimeError::ERuntimeError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}

EFOpenError EFOpenError::cannotOpen(const QString &name)
{
    return EFOpenError(kelvo::format(Texts::CannotOpenFile, { name }));
}

EListError::EListError(qsizetype index)
    : ERuntimeError(kelvo::format(Texts::ListIndexOutOfBounds, { qint64(index) }))
{
}

namespace kelvo {

QString errorReportText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

} // namespace kelvo
