#pragma once

#include <QLoggingCategory>

// The HTML viewer's log: blocked requests, refused navigations, messages of the bridge script.
// Silent unless enabled (QT_LOGGING_RULES="kelvo.ui.viewer.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcViewer)
