// The metafile player on arbitrary bytes: loading checks every record, drawing plays them all.
// An error is a fine answer; a crash, a hang or a sanitizer report is not.

#include "RuntimeErrors.h"
#include "SchemaPicture.h"

#include <QByteArray>
#include <QGuiApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv); // fonts for the text records
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        // The content decides between WMF and EMF.
        const kelvo::SchemaPicture picture
            = kelvo::SchemaPicture::fromData(bytes, kelvo::SchemaPicture::Format::Emf, QStringLiteral("./fuzz.emf"));
        // Small enough to keep the runs fast, whatever size the file states.
        const int longest = std::max(picture.size().width(), picture.size().height());
        const qreal ratio = longest > 256 ? 256.0 / longest : 1.0;
        picture.image(ratio);
    } catch (const ERuntimeError &) {
    }
    return 0;
}
