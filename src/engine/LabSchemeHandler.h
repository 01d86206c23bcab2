#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

// Answers the requests of the lab scheme: the document held in memory, and files of the lab
// folder found as the lab work names them (any letter case, "\" or "/"). Nothing outside the
// folder is ever served; every other request fails. Files are read as the engine takes them,
// and one page gets at most MaxPageBytes of them, however often it names a large file.
class TLabSchemeHandler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT

public:
    static constexpr qint64 MaxPageBytes = qint64(256) << 20;

    explicit TLabSchemeHandler(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TLabSchemeHandler)

    // Keeps the document as the one page served and returns the URL to load it from.
    QUrl setDocument(const QByteArray &document);
    // A page starts loading (the document, or one a link leads to): its files count anew.
    void startPage() { m_servedBytes = 0; }

    // The folder that names resolve in; empty means the current directory at each request,
    // which start-up sets to the lab work folder after the viewer exists.
    void setLabFolder(const QString &folder) { m_labFolder = folder; }
    const QString &labFolder() const { return m_labFolder; }

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    QByteArray m_document;
    quint64 m_generation = 0;
    qint64 m_servedBytes = 0;
    QString m_labFolder;
};
