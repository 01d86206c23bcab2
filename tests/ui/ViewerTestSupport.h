#pragma once

#include "HtmlViewer.h"

#include <QPoint>
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

// The centre of the element with `elementId` in the view's coordinates; a null point when the
// page has no such element.
inline QPoint elementCentre(THtmlViewer *viewer, const QString &elementId)
{
    const QVariantList centre = evaluateScript(viewer,
        QStringLiteral("(() => { const r = document.getElementById('%1').getBoundingClientRect(); "
                       "return [r.left + r.width / 2, r.top + r.height / 2]; })()")
            .arg(elementId))
                                    .toList();
    if (centre.size() != 2)
        return {};
    return QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble()));
}

} // namespace kelvo::test
