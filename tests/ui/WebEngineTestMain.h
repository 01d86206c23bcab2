#pragma once

#include "HtmlViewer.h"

#include <QApplication>
#include <QTest>

// QTEST_MAIN for suites that start the web engine: the lab scheme and the engine's flags must
// be set before the application object exists.
#define KELVO_WEBENGINE_TEST_MAIN(TestObject)                                                                          \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        THtmlViewer::prepareEngine();                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject testObject;                                                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&testObject, argc, argv);                                                                  \
    }
