#pragma once

#include <QByteArray>
#include <QDir>
#include <QJsonObject>
#include <QList>
#include <QLocale>
#include <QPair>
#include <QString>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>

namespace kelvo::test {

// Writes bytes to dir/name (creating sub-folders) and returns the full path.
QString writeFile(const QDir &dir, const QString &name, const QByteArray &bytes);

// Writes a ZIP archive with the given entries (name, data), stored with deflate.
void writeZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &entries);

// Windows-1251 bytes of a text, with "\n" turned into CR LF as Windows editors save it.
QByteArray windowsText(const QString &text);

// The one JSON file (a run's report) in a folder, read; empty when there is none or more than one.
QJsonObject onlyJsonIn(const QString &folder);

// The text of the runtime error that `action` raises; empty when it raises none.
QString messageOf(const std::function<void()> &action);

// The locale that number formats use by default, set for the lifetime of the object.
class DefaultLocale final
{
public:
    explicit DefaultLocale(const QLocale &locale);
    ~DefaultLocale();
    Q_DISABLE_COPY_MOVE(DefaultLocale)

private:
    QLocale m_previous;
};

// The current directory, changed for the lifetime of the object.
class CurrentDirectory final
{
public:
    explicit CurrentDirectory(const QString &path);
    ~CurrentDirectory();
    Q_DISABLE_COPY_MOVE(CurrentDirectory)

private:
    QString m_previous;
};

// The process's umask, changed for the lifetime of the object.
class Umask final
{
public:
    explicit Umask(mode_t mask)
        : m_previous(::umask(mask))
    {
    }
    ~Umask() { ::umask(m_previous); }
    Q_DISABLE_COPY_MOVE(Umask)

private:
    mode_t m_previous;
};

// An environment variable set (or, given a null value, unset) for the lifetime of the object.
class EnvironmentVariable final
{
public:
    EnvironmentVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_previous(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }
    Q_DISABLE_COPY_MOVE(EnvironmentVariable)

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

// A limit on the size of any file the process writes (the process's RLIMIT_FSIZE), for the
// lifetime of the object: a write past it fails as on a full disk (SIGXFSZ is ignored meanwhile).
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_previousHandler(std::signal(SIGXFSZ, SIG_IGN))
    {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        const rlimit limit { bytes, m_previous.rlim_max };
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    Q_DISABLE_COPY_MOVE(FileSizeLimit)

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int);
};

inline QLocale russian()
{
    return QLocale(QLocale::Russian, QLocale::Russia);
}

inline QLocale english()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace kelvo::test
