#include "PackageEntries.h"

#include "CodePages.h"

#include <QFile>

#include <zip.h>

#include <algorithm>
#include <memory>

namespace kelvo {

namespace {

struct ZipDiscard
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};

// The names and kinds of entries follow the extraction's rules: names are UTF-8 when marked so or
// valid UTF-8 with non-ASCII bytes, CP866 otherwise; folders, links and other special entries,
// and names that are empty, "." or ".." or hold control characters, are not unpacked.
QString decodeName(zip_t *archive, zip_uint64_t index, const QByteArray &raw)
{
    const char *strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    const bool markedUtf8 = strict && raw == strict;
    const bool nonAscii
        = std::any_of(raw.begin(), raw.end(), [](char b) { return static_cast<unsigned char>(b) >= 0x80; });
    if (markedUtf8 || (nonAscii && isValidUtf8(raw)))
        return QString::fromUtf8(raw);
    return decodeCp866(raw);
}

QString flatName(const QString &name)
{
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return {};
    QString flat = name.sliced(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    if (flat.size() >= 2 && flat[1] == u':' && flat[0].isLetter() && flat[0].unicode() < 0x80)
        flat.remove(0, 2);
    if (flat == u"." || flat == u"..")
        return {};
    return flat;
}

bool isRegularFile(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    if (attributes & 0x10) // MS-DOS folder attribute
        return false;
    if (system == ZIP_OPSYS_UNIX) {
        const zip_uint32_t type = (attributes >> 16) & 0170000;
        return type == 0 || type == 0100000;
    }
    return true;
}

} // namespace

std::optional<QList<check::PackageEntry>> listPackageEntries(const QString &path)
{
    int code = ZIP_ER_OK;
    const std::unique_ptr<zip_t, ZipDiscard> archive(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code));
    if (!archive)
        return std::nullopt;
    QList<check::PackageEntry> entries;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = zip_uint64_t(i);
        const char *raw = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
        if (!raw || !isRegularFile(archive.get(), index))
            continue;
        const QString name = decodeName(archive.get(), index, QByteArray(raw));
        const QString flat = flatName(name);
        if (flat.isEmpty())
            continue;
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_stat_index(archive.get(), index, 0, &stat);
        entries.append({ name, flat, (stat.valid & ZIP_STAT_CRC) ? quint32(stat.crc) : 0,
            (stat.valid & ZIP_STAT_SIZE) ? quint64(stat.size) : 0 });
    }
    return entries;
}

} // namespace kelvo
