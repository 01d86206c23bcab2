#include "SchemaPictureProbe.h"

#include "LabFolder.h"
#include "Localization.h"
#include "RuntimeErrors.h"
#include "SchemaPicture.h"
#include "TextFormat.h"

namespace kelvo {

check::PictureProbeResult probeSchemaPicture(const QString &path, const QString &name)
{
    const std::optional<SchemaPicture::Format> pictureFormat = SchemaPicture::formatOf(name);
    if (!pictureFormat) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return { std::nullopt, format(Texts::UnknownPictureExtension, { dot < 0 ? QString() : name.sliced(dot + 1) }) };
    }
    const QString shown = LabFolder::shownName(name);
    try {
        const SchemaPicture picture
            = SchemaPicture::fromData(readWholeFile(path, shown, MaxDataFileBytes), *pictureFormat, shown);
        return { picture.size(), {} };
    } catch (const ERuntimeError &error) {
        return { std::nullopt, error.message() };
    }
}

} // namespace kelvo
