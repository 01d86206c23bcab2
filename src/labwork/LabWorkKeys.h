#pragma once

#include "IniFile.h"
#include "Localization.h"

#include <QString>

// Every key of the descriptor and of the schema file, with the value the player takes when the
// key is missing (or a number does not convert): read by the model, checked by `kelvo --check`
// and written by `kelvo --dump` from this one table.
namespace kelvo {

struct TextKey
{
    QString name;
    const QString &fallback;
};

struct IntegerKey
{
    QString name;
    qint32 fallback;
};

struct DecimalKey
{
    QString name;
    double fallback;
};

struct BoolKey
{
    QString name;
    bool fallback;
};

inline QString readKey(const TIniFile &ini, const QString &section, const TextKey &key)
{
    return ini.ReadString(section, key.name, key.fallback);
}

inline qint32 readKey(const TIniFile &ini, const QString &section, const IntegerKey &key)
{
    return ini.ReadInteger(section, key.name, key.fallback);
}

inline double readKey(const TIniFile &ini, const QString &section, const DecimalKey &key)
{
    return ini.ReadFloat(section, key.name, key.fallback);
}

inline bool readKey(const TIniFile &ini, const QString &section, const BoolKey &key)
{
    return ini.ReadBool(section, key.name, key.fallback);
}

namespace keys {

inline const QString NoText;

// The descriptor's first section, about the lab work as a whole.
namespace header {
inline const QString Section = QStringLiteral("Header");
inline const TextKey Title { QStringLiteral("Title"), Texts::ErrorReadingChapter };
inline const TextKey Author { QStringLiteral("Author"), NoText };
inline const TextKey Description { QStringLiteral("Description"), NoText };
} // namespace header

// The keys every chapter section has, and the values of its type.
namespace chapter {
inline const TextKey Type { QStringLiteral("Type"), Texts::ErrorReadingChapter };
inline const TextKey Title { QStringLiteral("Title"), Texts::ErrorReadingChapter };
inline const IntegerKey Identifier { QStringLiteral("Identifier"), 0 };
inline const TextKey RequiredChapters { QStringLiteral("RequiredChapters"), NoText };
inline const QString Information = QStringLiteral("Information");
inline const QString Examination = QStringLiteral("Examination");
inline const QString Experiment = QStringLiteral("Experiment");
} // namespace chapter

namespace information {
inline const TextKey Document { QStringLiteral("Document"), NoText };
} // namespace information

namespace examination {
inline const IntegerKey Questions { QStringLiteral("Questions"), 0 };
inline const TextKey Heading { QStringLiteral("Heading"), Texts::ErrorReadingChapter };
inline const IntegerKey Attempts { QStringLiteral("Attempts"), -1 };
inline const IntegerKey MessageStyle { QStringLiteral("MessageStyle"), 0 };
inline const IntegerKey Review { QStringLiteral("Review"), 0 };
} // namespace examination

namespace experiment {
inline const TextKey SchemaFile { QStringLiteral("SchemaFile"), Texts::ErrorReadingChapter };
inline const IntegerKey LinkedChapter { QStringLiteral("LinkedChapter"), 0 };
} // namespace experiment

// The schema file's header section.
namespace schema {
inline const QString Section = QStringLiteral("SchemaHeader");
inline const TextKey ImageFile { QStringLiteral("ImageFile"), Texts::ErrorReadingChapter };
inline const TextKey Title { QStringLiteral("Title"), Texts::ErrorReadingChapter };
inline const TextKey StartFrom { QStringLiteral("StartFrom"), Texts::ErrorReadingChapter };
} // namespace schema

// The keys every device section has, and the values of its class.
namespace device {
inline const TextKey Class { QStringLiteral("Class"), NoText };
inline const TextKey Title { QStringLiteral("Title"), Texts::ErrorReadingChapter };
inline const IntegerKey Left { QStringLiteral("Left"), 0 };
inline const IntegerKey Top { QStringLiteral("Top"), 0 };
inline const IntegerKey Width { QStringLiteral("Width"), 100 };
inline const IntegerKey Height { QStringLiteral("Height"), 100 };
inline const TextKey Unit { QStringLiteral("Unit"), NoText };
inline const QString Measurement = QStringLiteral("Measurement");
inline const QString Passive = QStringLiteral("Passive");
inline const QString Area = QStringLiteral("Area");
} // namespace device

namespace passive {
inline const BoolKey Ajustable { QStringLiteral("Ajustable"), false };
inline const TextKey Identifier { QStringLiteral("Identifier"), Texts::ErrorReadingChapter };
inline const DecimalKey Value { QStringLiteral("Value"), 0 };
inline const DecimalKey Max { QStringLiteral("Max"), 0 };
inline const DecimalKey Min { QStringLiteral("Min"), 0 };
} // namespace passive

namespace area {
inline const TextKey Hint { QStringLiteral("Hint"), NoText };
} // namespace area

// A variant section: these two keys, the rest lines of values for measurement devices.
namespace variant {
inline const TextKey Title { QStringLiteral("Title"), Texts::ErrorReadingChapter };
inline const TextKey ImageFile { QStringLiteral("ImageFile"), Texts::ErrorReadingChapter };
} // namespace variant

} // namespace keys

} // namespace kelvo
