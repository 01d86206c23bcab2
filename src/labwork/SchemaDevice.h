#pragma once

#include <QString>

class TIniFile;

// A device placed on an experiment's schema picture, read from one section of the schema file.
// The kinds are told apart by their class (dynamic_cast), never by a field.
class TSchemaDevice
{
public:
    virtual ~TSchemaDevice();
    Q_DISABLE_COPY_MOVE(TSchemaDevice)

    // The class name, as the program's own reports show it.
    virtual QString ClassName() const = 0;

    const QString SectionName;
    QString Title;
    QString Unit;
    double Value = 0;
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Width = 100;
    qint32 Height = 100;

protected:
    // Reads the keys every device has.
    TSchemaDevice(const TIniFile &schema, const QString &sectionName);
};

// Shows a measured value; its value text comes from the current variant.
class TMeasurementDevice final : public TSchemaDevice
{
public:
    TMeasurementDevice(const TIniFile &schema, const QString &sectionName);
    QString ClassName() const override { return QStringLiteral("TMeasurementDevice"); }

    QString ValueText;
    // Why the last recalculation could not evaluate ValueText; empty when it could, or when there
    // is no text. Value then still holds an earlier result, which must not be shown as current.
    QString ValueError;
};

// Carries a value that the student may set when the device is adjustable.
class TPassiveDevice final : public TSchemaDevice
{
public:
    TPassiveDevice(const TIniFile &schema, const QString &sectionName);
    QString ClassName() const override { return QStringLiteral("TPassiveDevice"); }

    QString Identifier;
    double Min = 0;
    double Max = 0;
    bool Ajustable = false;
};

// A rectangle of the picture with a hint text.
class TAreaDevice final : public TSchemaDevice
{
public:
    TAreaDevice(const TIniFile &schema, const QString &sectionName);
    QString ClassName() const override { return QStringLiteral("TAreaDevice"); }

    QString Hint;
};
