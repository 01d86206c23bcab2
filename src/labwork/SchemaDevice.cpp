#include "SchemaDevice.h"

#include "IniFile.h"
#include "Localization.h"

TSchemaDevice::TSchemaDevice(const TIniFile &schema, const QString &sectionName)
    : SectionName(sectionName)
{
    Title = schema.ReadString(SectionName, QStringLiteral("Title"), Texts::ErrorReadingChapter);
    Left = schema.ReadInteger(SectionName, QStringLiteral("Left"), 0);
    Top = schema.ReadInteger(SectionName, QStringLiteral("Top"), 0);
    Width = schema.ReadInteger(SectionName, QStringLiteral("Width"), 100);
    Height = schema.ReadInteger(SectionName, QStringLiteral("Height"), 100);
    Unit = schema.ReadString(SectionName, QStringLiteral("Unit"), {});
    Value = 0;
}

TSchemaDevice::~TSchemaDevice() = default;

TMeasurementDevice::TMeasurementDevice(const TIniFile &schema, const QString &sectionName)
    : TSchemaDevice(schema, sectionName)
{
}

TPassiveDevice::TPassiveDevice(const TIniFile &schema, const QString &sectionName)
    : TSchemaDevice(schema, sectionName)
{
    Ajustable = schema.ReadBool(SectionName, QStringLiteral("Ajustable"), false);
    Identifier = schema.ReadString(SectionName, QStringLiteral("Identifier"), Texts::ErrorReadingChapter);
    Value = schema.ReadFloat(SectionName, QStringLiteral("Value"), 0);
    if (Ajustable) {
        Max = schema.ReadFloat(SectionName, QStringLiteral("Max"), 0);
        Min = schema.ReadFloat(SectionName, QStringLiteral("Min"), 0);
    }
}

TAreaDevice::TAreaDevice(const TIniFile &schema, const QString &sectionName)
    : TSchemaDevice(schema, sectionName)
{
    Hint = schema.ReadString(SectionName, QStringLiteral("Hint"), {});
}
