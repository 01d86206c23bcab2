#include "ViewerLog.h"

Q_LOGGING_CATEGORY(lcViewer, "kelvo.ui.viewer", QtWarningMsg)
