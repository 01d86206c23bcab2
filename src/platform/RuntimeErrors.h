#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The runtime's error kinds. They travel up to the one error report of the main window
// (or to the start-up messages), which shows their text.
class ERuntimeError : public std::exception
{
public:
    explicit ERuntimeError(QString message);

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A file could not be opened: "Cannot open file %s", or the lab work's own file-open text.
class EFOpenError final : public ERuntimeError
{
public:
    using ERuntimeError::ERuntimeError;
    // name is shown as opened, relative to the lab folder ("./intro.htm").
    static EFOpenError cannotOpen(const QString &name);
};

// An index outside a list: "List index out of bounds (%d)".
class EListError final : public ERuntimeError
{
public:
    explicit EListError(qsizetype index);
};

// A file that exists but cannot be used as data (too large, not a regular file, unreadable).
class EReadError final : public ERuntimeError
{
public:
    using ERuntimeError::ERuntimeError;
};

namespace kelvo {

// The text of the default error report: a full stop is appended when the last character
// sorts after ".", as the Windows runtime does.
QString errorReportText(const QString &message);

} // namespace kelvo
