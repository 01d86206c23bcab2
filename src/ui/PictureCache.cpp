#include "PictureCache.h"

#include "LabFolder.h"

#include <QFileInfo>

PictureCache::PictureCache(qint64 pixelBudget)
    : m_budget(pixelBudget)
{
}

qint64 PictureCache::pixels(const kelvo::SchemaPicture &picture)
{
    return qint64(picture.size().width()) * picture.size().height();
}

kelvo::SchemaPicture PictureCache::load(const QString &fileName)
{
    const std::optional<QString> path
        = kelvo::SchemaPicture::formatOf(fileName) ? kelvo::LabFolder().resolve(fileName) : std::nullopt;
    if (!path)
        return kelvo::SchemaPicture::load(fileName); // raises the loader's own error

    const QFileInfo file(*path);
    const qint64 size = file.size();
    const QDateTime modified = file.lastModified();
    for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
        if (entry->path != *path)
            continue;
        if (entry->size == size && entry->modified == modified) {
            m_entries.splice(m_entries.begin(), m_entries, entry);
            return entry->picture;
        }
        m_entries.erase(entry);
        break;
    }

    kelvo::SchemaPicture picture = kelvo::SchemaPicture::load(fileName);
    qint64 held = pixels(picture);
    if (held > m_budget)
        return picture;
    auto kept = m_entries.begin();
    while (kept != m_entries.end() && held + pixels(kept->picture) <= m_budget) {
        held += pixels(kept->picture);
        ++kept;
    }
    m_entries.erase(kept, m_entries.end());
    m_entries.push_front({ *path, size, modified, picture });
    return picture;
}
