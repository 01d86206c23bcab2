#pragma once

#include "HtmlViewer.h"

#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <memory>

namespace kelvo::test {

// Loads a document into the viewer and waits for the engine: true when it loaded.
inline bool loadDocument(THtmlViewer *viewer, const QByteArray &document)
{
    QSignalSpy finished(viewer, &THtmlViewer::loadFinished);
    viewer->LoadFromString(document);
    if (!finished.wait(20000))
        return false;
    return finished.constLast().constFirst().toBool();
}

// Runs a script in the application world of the viewer's page (page scripts are off) and waits
// for its result.
inline QVariant evaluateScript(THtmlViewer *viewer, const QString &script)
{
    struct Outcome
    {
        QVariant value;
        bool done = false;
    };
    auto outcome = std::make_shared<Outcome>();
    viewer->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [outcome](const QVariant &value) {
        outcome->value = value;
        outcome->done = true;
    });
    if (!QTest::qWaitFor([&] { return outcome->done; }, 10000))
        qWarning("script gave no result: %s", qPrintable(script));
    return outcome->value;
}

} // namespace kelvo::test
