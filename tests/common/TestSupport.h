#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QLocale>
#include <QPair>
#include <QString>

#include <functional>

#include <sys/stat.h>

namespace kelvo::test {

// Writes bytes to dir/name (creating sub-folders) and returns the full path.
QString writeFile(const QDir &dir, const QString &name, const QByteArray &bytes);

// Writes a ZIP archive with the given entries (name, data), stored with deflate.
void writeZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &entries);

// Windows-1251 bytes of a text, with "\n" turned into CR LF as Windows editors save it.
QByteArray windowsText(const QString &text);

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

inline QLocale russian()
{
    return QLocale(QLocale::Russian, QLocale::Russia);
}

inline QLocale english()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace kelvo::test
