#include "SchemaDevice.h"

#include "IniFile.h"
#include "LabWorkKeys.h"

TSchemaDevice::TSchemaDevice(const TIniFile &schema, const QString &sectionName)
    : SectionName(sectionName)
{
    namespace keys = kelvo::keys::device;
    Title = kelvo::readKey(schema, SectionName, keys::Title);
    Left = kelvo::readKey(schema, SectionName, keys::Left);
    Top = kelvo::readKey(schema, SectionName, keys::Top);
    Width = kelvo::readKey(schema, SectionName, keys::Width);
    Height = kelvo::readKey(schema, SectionName, keys::Height);
    Unit = kelvo::readKey(schema, SectionName, keys::Unit);
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
    namespace keys = kelvo::keys::passive;
    Ajustable = kelvo::readKey(schema, SectionName, keys::Ajustable);
    Identifier = kelvo::readKey(schema, SectionName, keys::Identifier);
    Value = kelvo::readKey(schema, SectionName, keys::Value);
    if (Ajustable) {
        Max = kelvo::readKey(schema, SectionName, keys::Max);
        Min = kelvo::readKey(schema, SectionName, keys::Min);
    }
}

TAreaDevice::TAreaDevice(const TIniFile &schema, const QString &sectionName)
    : TSchemaDevice(schema, sectionName)
{
    Hint = kelvo::readKey(schema, SectionName, kelvo::keys::area::Hint);
}
