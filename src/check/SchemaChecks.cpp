#include "SchemaChecks.h"

#include "CheckContext.h"
#include "CheckTexts.h"
#include "ExperimentChapter.h"
#include "IniChecks.h"
#include "IniFile.h"
#include "LabWorkKeys.h"
#include "Localization.h"
#include "NearestName.h"
#include "NumberFormats.h"
#include "TextFormat.h"
#include "ValueExpression.h"

#include <QHash>
#include <QSet>

namespace kelvo::check {

namespace {

const QString &HeaderSection = keys::schema::Section;
// A variant's keys are named as the header's.
const QString &TitleKey = keys::schema::Title.name;
const QString &ImageFileKey = keys::schema::ImageFile.name;
const QStringList DeviceClasses = { keys::device::Measurement, keys::device::Passive, keys::device::Area };

QString className(const TSchemaDevice *schemaDevice)
{
    if (dynamic_cast<const TPassiveDevice *>(schemaDevice))
        return keys::device::Passive;
    if (dynamic_cast<const TAreaDevice *>(schemaDevice))
        return keys::device::Area;
    return keys::device::Measurement;
}

KeySet deviceKeys(const QString &deviceClass)
{
    KeySet known;
    known.known = { keys::device::Class.name, keys::device::Title.name, keys::device::Left.name, keys::device::Top.name,
        keys::device::Width.name, keys::device::Height.name, keys::device::Unit.name };
    const QStringList passiveKeys = { keys::passive::Ajustable.name, keys::passive::Identifier.name,
        keys::passive::Value.name, keys::passive::Max.name, keys::passive::Min.name };
    const QStringList areaKeys = { keys::area::Hint.name };
    known.elsewherePattern = CheckTexts::ReadOnlyByClasses;
    for (const QString &key : passiveKeys) {
        if (deviceClass == keys::device::Passive)
            known.known.append(key);
        else
            known.elsewhere.append({ key, keys::device::Passive });
    }
    for (const QString &key : areaKeys) {
        if (deviceClass == keys::device::Area)
            known.known.append(key);
        else
            known.elsewhere.append({ key, keys::device::Area });
    }
    return known;
}

class SchemaCheck final
{
public:
    SchemaCheck(CheckContext &context, const TExperimentChapter &chapter, const QString &shown)
        : m_context(context)
        , m_report(context.report())
        , m_chapter(chapter)
        , m_schema(*chapter.Schema)
        , m_shown(shown)
    {
    }

    void run()
    {
        checkIniStructure(m_context, m_schema, m_shown);
        for (const TIniFile::Section *section : readableSections(m_schema)) {
            if (!m_header && section->name.compare(HeaderSection, Qt::CaseInsensitive) == 0)
                m_header = section;
            else if (isVariantSection(section->name))
                m_variants.append(section);
            else
                m_devices.append(section);
        }
        for (int i = 0; i < m_chapter.Devices.Count(); ++i)
            m_deviceNames.append(m_chapter.Devices.Device(i)->SectionName);

        checkHeader();
        checkDevices();
        checkVariants();
        checkPictures();
    }

private:
    void checkHeader()
    {
        if (!m_header) {
            m_report.error(m_shown, 0, QStringLiteral("missing-section"),
                format(CheckTexts::MissingSection, { HeaderSection, CheckTexts::MarkerShown }));
            return;
        }
        KeySet headerKeys;
        headerKeys.known = { ImageFileKey, TitleKey, keys::schema::StartFrom.name };
        checkKeys(m_context, m_shown, *m_header, headerKeys);
        checkPresent(m_context, m_schema, m_shown, m_header->name, TitleKey, true, QStringLiteral("missing-value"),
            CheckTexts::MarkerShown);

        const QString &start = m_chapter.StartFrom;
        if (!start.isEmpty() && start != Texts::ErrorReadingChapter && !m_chapter.Variants.FindVariant(start)) {
            QStringList names;
            for (const TIniFile::Section *variant : std::as_const(m_variants))
                names.append(variant->name);
            const std::optional<QString> near = nearestName(start, names);
            m_report.error(m_shown, m_schema.KeyLine(m_header->name, keys::schema::StartFrom.name),
                QStringLiteral("unknown-start-variant"),
                format(CheckTexts::UnknownStartVariant,
                    { start, near ? format(CheckTexts::Suggestion, { *near }) : QString() }));
        }
    }

    void checkDevices()
    {
        QHash<QString, QString> passiveIdentifiers; // case-folded identifier -> device
        for (const TIniFile::Section *section : std::as_const(m_devices)) {
            const QString &name = section->name;
            if (!m_schema.ValueExists(name, keys::device::Class.name)) {
                m_report.error(m_shown, section->line, QStringLiteral("missing-class"),
                    format(CheckTexts::MissingClass, { name }));
                continue;
            }
            const TSchemaDevice *device = m_chapter.Devices.FindDevice(name);
            if (!device) {
                const QString value = readKey(m_schema, name, keys::device::Class);
                const std::optional<QString> near = nearestName(value, DeviceClasses);
                m_report.error(m_shown, m_schema.KeyLine(name, keys::device::Class.name),
                    QStringLiteral("unknown-class"),
                    format(CheckTexts::UnknownClass,
                        { value, near ? format(CheckTexts::Suggestion, { *near }) : QString() }));
                continue;
            }
            checkKeys(m_context, m_shown, *section, deviceKeys(className(device)));
            for (const IntegerKey *key :
                { &keys::device::Left, &keys::device::Top, &keys::device::Width, &keys::device::Height })
                checkInteger(m_context, m_schema, m_shown, name, *key);

            if (const auto *passive = dynamic_cast<const TPassiveDevice *>(device)) {
                checkPassive(*section, *passive);
                const QString identifier = passive->Identifier.toCaseFolded();
                if (passiveIdentifiers.contains(identifier) && passive->Identifier != Texts::ErrorReadingChapter) {
                    m_report.warning(m_shown, m_schema.KeyLine(name, keys::passive::Identifier.name),
                        QStringLiteral("duplicate-device-identifier"),
                        format(CheckTexts::DuplicatePassiveIdentifier,
                            { passive->Identifier, passiveIdentifiers.value(identifier) }));
                } else if (!passiveIdentifiers.contains(identifier)) {
                    passiveIdentifiers.insert(identifier, name);
                }
            } else if (const auto *area = dynamic_cast<const TAreaDevice *>(device)) {
                const qsizetype bar = area->Hint.indexOf(QLatin1Char('|'));
                if (area->Hint.isEmpty() || (bar == 0 && area->Hint.size() == 1)) {
                    m_report.warning(m_shown, keyOrSectionLine(m_schema, name, keys::area::Hint.name),
                        QStringLiteral("empty-hint"), format(CheckTexts::EmptyHint, { name }));
                }
                if (area->Width <= 0 || area->Height <= 0)
                    reportInvisible(*area);
            } else if (device->Width <= 0) {
                reportInvisible(*device);
            }
        }
    }

    void reportInvisible(const TSchemaDevice &device)
    {
        m_report.warning(m_shown, m_schema.SectionLine(device.SectionName), QStringLiteral("device-size"),
            format(CheckTexts::DeviceInvisible, { device.SectionName, qint64(device.Width), qint64(device.Height) }));
    }

    void checkPassive(const TIniFile::Section &section, const TPassiveDevice &device)
    {
        const QString &name = section.name;
        checkInteger(m_context, m_schema, m_shown, name, keys::passive::Ajustable);
        checkPresent(m_context, m_schema, m_shown, name, keys::passive::Identifier.name, false,
            QStringLiteral("missing-key"), CheckTexts::MarkerAsIdentifier);
        checkDecimal(m_context, m_schema, m_shown, name, keys::passive::Value);
        if (!device.Ajustable) {
            for (const QString &key : { keys::passive::Min.name, keys::passive::Max.name }) {
                if (m_schema.ValueExists(name, key)) {
                    m_report.warning(m_shown, m_schema.KeyLine(name, key), QStringLiteral("ignored-key"),
                        format(CheckTexts::MinMaxIgnored, { key }));
                }
            }
            return;
        }
        checkPresent(m_context, m_schema, m_shown, name, keys::device::Title.name, true,
            QStringLiteral("missing-value"), CheckTexts::MarkerShown);
        checkDecimal(m_context, m_schema, m_shown, name, keys::passive::Max);
        checkDecimal(m_context, m_schema, m_shown, name, keys::passive::Min);
        const QLocale &locale = m_context.locale();
        if (device.Max < device.Min) {
            m_report.error(m_shown, keyOrSectionLine(m_schema, name, keys::passive::Max.name),
                QStringLiteral("range-inverted"),
                format(CheckTexts::RangeInverted,
                    { formatGeneral(device.Max, locale), formatGeneral(device.Min, locale) }));
        } else if (device.Value < device.Min || device.Value > device.Max) {
            m_report.warning(m_shown, keyOrSectionLine(m_schema, name, keys::passive::Value.name),
                QStringLiteral("value-out-of-range"),
                format(CheckTexts::ValueOutOfRange,
                    { formatGeneral(device.Value, locale), formatGeneral(device.Min, locale),
                        formatGeneral(device.Max, locale) }));
        }
    }

    void checkVariants()
    {
        ExpressionVariables variables;
        for (int i = 0; i < m_chapter.Devices.Count(); ++i) {
            if (const auto *passive = dynamic_cast<const TPassiveDevice *>(m_chapter.Devices.Device(i)))
                variables.insert(passive->Identifier, passive->Value);
        }
        // A random number stands for every RAND(), as the player draws one at loading.
        const QString random = formatGeneral(0.5, m_context.locale());

        QSet<QString> fed;
        for (const TIniFile::Section *section : std::as_const(m_variants)) {
            const QString &name = section->name;
            const int visibleKeys = int(m_schema.ReadSection(name).size());
            checkPresent(m_context, m_schema, m_shown, name, TitleKey, true, QStringLiteral("missing-value"),
                CheckTexts::MarkerShown);
            QSet<QString> seen;
            for (size_t k = 0; k < section->entries.size(); ++k) {
                const TIniFile::Entry &entry = section->entries[k];
                if (int(k) >= visibleKeys) {
                    m_report.error(m_shown, entry.line, QStringLiteral("beyond-name-list"),
                        format(CheckTexts::KeyBeyondNameList, { entry.key }));
                    continue;
                }
                if (seen.contains(entry.key.toCaseFolded()))
                    continue; // reported as a repeated key
                seen.insert(entry.key.toCaseFolded());
                if (entry.key == TitleKey || entry.key == ImageFileKey)
                    continue;
                if (entry.key.compare(TitleKey, Qt::CaseInsensitive) == 0
                    || entry.key.compare(ImageFileKey, Qt::CaseInsensitive) == 0) {
                    const QString &proper
                        = entry.key.compare(TitleKey, Qt::CaseInsensitive) == 0 ? TitleKey : ImageFileKey;
                    m_report.warning(m_shown, entry.line, QStringLiteral("variant-key-case"),
                        format(CheckTexts::VariantKeyCase, { entry.key, proper, proper }));
                    continue;
                }
                const TSchemaDevice *device = m_chapter.Devices.FindDevice(entry.key);
                if (!device) {
                    const QString code = QStringLiteral("variant-unknown-device");
                    const std::optional<QString> near
                        = m_report.shows(m_shown, code) ? nearestName(entry.key, m_deviceNames) : std::nullopt;
                    m_report.warning(m_shown, entry.line, code,
                        format(CheckTexts::VariantUnknownDevice,
                            { entry.key, near ? format(CheckTexts::Suggestion, { *near }) : QString() }));
                    continue;
                }
                if (!dynamic_cast<const TMeasurementDevice *>(device)) {
                    m_report.warning(m_shown, entry.line, QStringLiteral("variant-not-measurement"),
                        format(CheckTexts::VariantNotMeasurement, { entry.key, className(device) }));
                    continue;
                }
                fed.insert(entry.key);
                checkValueText(m_schema.ReadString(name, entry.key, {}), entry, variables, random);
            }
        }
        for (int i = 0; i < m_chapter.Devices.Count(); ++i) {
            const TSchemaDevice *device = m_chapter.Devices.Device(i);
            if (dynamic_cast<const TMeasurementDevice *>(device) && !fed.contains(device->SectionName)) {
                m_report.warning(m_shown, m_schema.SectionLine(device->SectionName),
                    QStringLiteral("unfed-measurement"), format(CheckTexts::UnfedMeasurement, { device->SectionName }));
            }
        }
    }

    void checkValueText(const QString &written, const TIniFile::Entry &entry, const ExpressionVariables &variables,
        const QString &random)
    {
        QString text = written;
        text.replace(QLatin1String("RAND()"), random);
        if (text.trimmed().isEmpty())
            return;
        const ExpressionResult result = evaluateExpression(text, variables, m_context.locale());
        if (result.ok())
            return;
        // These depend on the values the student sets; the rest never evaluate.
        if (result.error == Texts::ExpressionDivisionByZero || result.error == Texts::ExpressionNotFinite) {
            m_report.warning(m_shown, entry.line, QStringLiteral("bad-value-text"),
                format(CheckTexts::BadValueTextAtStart, { written, entry.key, result.error }));
        } else {
            m_report.error(m_shown, entry.line, QStringLiteral("bad-value-text"),
                format(CheckTexts::BadValueText, { written, entry.key, result.error }));
        }
    }

    struct Picture
    {
        QString name;
        int line = 0;
        std::optional<QSize> size;
    };

    void checkPictures()
    {
        const TSchemeVariant *start
            = m_chapter.StartFrom.isEmpty() ? nullptr : m_chapter.Variants.FindVariant(m_chapter.StartFrom);
        QList<Picture> shown;
        // The header's picture shows only while no variant has been activated.
        if (!start && m_header) {
            if (checkPresent(m_context, m_schema, m_shown, m_header->name, ImageFileKey, true,
                    QStringLiteral("missing-value"), CheckTexts::PictureWillNotLoad, true))
                shown.append({ m_chapter.Schema->ReadString(m_header->name, ImageFileKey, {}),
                    m_schema.KeyLine(m_header->name, ImageFileKey), {} });
        }
        for (const TIniFile::Section *section : std::as_const(m_variants)) {
            if (checkPresent(m_context, m_schema, m_shown, section->name, ImageFileKey, true,
                    QStringLiteral("missing-value"), CheckTexts::PictureWillNotLoad, true))
                shown.append({ m_schema.ReadString(section->name, ImageFileKey, {}),
                    m_schema.KeyLine(section->name, ImageFileKey), {} });
        }
        QHash<QString, std::optional<QSize>> probed;
        for (Picture &picture : shown) {
            if (probed.contains(picture.name)) {
                picture.size = probed.value(picture.name);
                continue;
            }
            picture.size = probe(picture);
            probed.insert(picture.name, picture.size);
        }
        for (int i = 0; i < m_chapter.Devices.Count(); ++i) {
            const TSchemaDevice *device = m_chapter.Devices.Device(i);
            for (const Picture &picture : std::as_const(shown)) {
                if (!picture.size)
                    continue;
                const QSize size = *picture.size;
                if (device->Left < 0 || device->Top < 0 || device->Left >= size.width()
                    || device->Top >= size.height()) {
                    m_report.warning(m_shown, keyOrSectionLine(m_schema, device->SectionName, keys::device::Left.name),
                        QStringLiteral("device-off-picture"),
                        format(CheckTexts::DeviceOffPicture,
                            { device->SectionName, qint64(device->Left), qint64(device->Top), picture.name,
                                qint64(size.width()), qint64(size.height()) }));
                    break;
                }
            }
        }
    }

    std::optional<QSize> probe(const Picture &picture)
    {
        const std::optional<QString> path
            = m_context.findFile(picture.name, m_shown, picture.line, CheckTexts::WhatPicture);
        if (!path || !m_context.setup().pictureProbe)
            return std::nullopt;
        const PictureProbeResult result = m_context.setup().pictureProbe(*path, picture.name);
        if (!result.size) {
            m_report.error(m_shown, picture.line, QStringLiteral("bad-picture"),
                format(CheckTexts::BadPicture, { picture.name, result.error }));
        }
        return result.size;
    }

    CheckContext &m_context;
    CheckReport &m_report;
    const TExperimentChapter &m_chapter;
    const TIniFile &m_schema;
    const QString m_shown;
    const TIniFile::Section *m_header = nullptr;
    QList<const TIniFile::Section *> m_variants;
    QList<const TIniFile::Section *> m_devices;
    QStringList m_deviceNames;
};

} // namespace

void checkExperiment(CheckContext &context, const TIniFile &descriptor, const QString &descriptorShown,
    const TExperimentChapter &chapter)
{
    const QString &key = keys::experiment::SchemaFile.name;
    if (!descriptor.ValueExists(chapter.SectionName, key) || chapter.SchemaFile.isEmpty())
        return; // the descriptor's checks report the missing name
    const int line = descriptor.KeyLine(chapter.SectionName, key);
    const std::optional<QString> path
        = context.findFile(chapter.SchemaFile, descriptorShown, line, CheckTexts::WhatSchema);
    if (!path || !context.firstVisit(QStringLiteral("schema:") + *path))
        return;
    if (chapter.Schema->AllSections().empty() || chapter.Schema->IsBinary()) {
        context.report().error(descriptorShown, line, QStringLiteral("missing-section"),
            format(CheckTexts::SchemaWithoutSections, { chapter.SchemaFile }));
        return;
    }
    SchemaCheck(context, chapter, context.shownName(*path)).run();
}

} // namespace kelvo::check
