#include "StartupUnpacking.h"

namespace kelvo {

StartupUnpacking::StartupUnpacking(const QString &path, std::unique_ptr<RunFolder> runFolder)
    : m_path(path)
    , m_result(std::async(std::launch::async,
          [path, folder = std::move(runFolder)]() mutable { return unpackPackage(path, std::move(folder)); }))
{
}

StartupUnpacking::~StartupUnpacking()
{
    if (!m_result.valid())
        return;
    try {
        LoadedLabWork loaded = m_result.get();
        releaseLabWork(loaded);
    } catch (...) {
        // What failed to unpack left nothing to release.
    }
}

LoadedLabWork StartupUnpacking::take()
{
    return m_result.get();
}

} // namespace kelvo
