#pragma once

#include "SchemaPicture.h"

#include <QDateTime>
#include <QString>

#include <list>

// Decoded schema pictures by file, so that switching back to a variant does not decode its
// picture again. An entry serves only while its file keeps its size and modification time, and
// the entries together hold at most a given number of pixels (the least recently used go first).
class PictureCache final
{
public:
    explicit PictureCache(qint64 pixelBudget);

    // As SchemaPicture::load, with the same errors.
    kelvo::SchemaPicture load(const QString &fileName);
    void clear() { m_entries.clear(); }
    int count() const { return int(m_entries.size()); }

private:
    struct Entry
    {
        QString path;
        qint64 size = 0;
        QDateTime modified;
        kelvo::SchemaPicture picture;
    };

    static qint64 pixels(const kelvo::SchemaPicture &picture);

    qint64 m_budget;
    std::list<Entry> m_entries; // the most recently used first
};
