#include "SchemaFiles.h"

#include "IniFile.h"

#include <QFileInfo>

#include <algorithm>

namespace kelvo {

std::shared_ptr<const TIniFile> SchemaFiles::open(const QString &path)
{
    const QFileInfo info(path);
    const QString key = path.isEmpty() ? QString() : info.canonicalFilePath();
    if (const auto known = m_files.constFind(key); known != m_files.cend())
        return *known;
    const qint64 room = std::min(TIniFile::MaxFileBytes, MaxTotalBytes - m_bytes);
    auto file = std::make_shared<const TIniFile>(path, room, std::nothrow);
    if (!file->TooLarge() && info.isFile())
        m_bytes += info.size();
    m_files.insert(key, file);
    return file;
}

} // namespace kelvo
