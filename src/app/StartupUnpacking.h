#pragma once

#include "StartupLoader.h"

#include <QString>
#include <QtGlobal>

#include <future>
#include <memory>

namespace kelvo {

// The package start-up opens, unpacked on a worker thread (unpackPackage) while the application
// and the window are being made. take() waits for it, and the lab work is then loaded on the
// thread of the windows (loadUnpacked): nothing is shown before the package is unpacked and
// checked, and every message is the one loadLabWork gives. What is never taken is released (its
// files deleted, its folder removed) when this object goes.
class StartupUnpacking final
{
public:
    // `runFolder` is the folder made for the package before the application (makeRunFolder).
    StartupUnpacking(const QString &path, std::unique_ptr<RunFolder> runFolder);
    ~StartupUnpacking();
    Q_DISABLE_COPY_MOVE(StartupUnpacking)

    const QString &path() const { return m_path; }
    // Waits for the worker and hands over what it left; once only.
    LoadedLabWork take();

private:
    QString m_path;
    std::future<LoadedLabWork> m_result;
};

} // namespace kelvo
