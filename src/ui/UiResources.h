#pragma once

// Registers the resources of resources/ui.qrc (the bridge script, the results dialog's picture).
// A static library's resources are not registered by themselves. Safe to call more than once.
void initUiResources();
