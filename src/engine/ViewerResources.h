#pragma once

// Registers the resources of resources/viewer.qrc (the form bridge script).
// A static library's resources are not registered by themselves. Safe to call more than once.
void initViewerResources();
