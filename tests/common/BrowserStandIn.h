#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace kelvo::test {

// Receives the URLs that the viewer hands to the desktop's browser (QDesktopServices' handler
// for http and https, set by the suite).
class BrowserStandIn final : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace kelvo::test
