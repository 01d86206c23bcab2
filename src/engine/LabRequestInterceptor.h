#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Lets through only requests of the lab scheme: a lab document never reaches the network,
// the file system or any other scheme, whatever it references.
class TLabRequestInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    explicit TLabRequestInterceptor(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TLabRequestInterceptor)

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
