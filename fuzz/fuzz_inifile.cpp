// The INI reader on arbitrary bytes as a descriptor, and the lab work model built from it: every
// section and key read in every form, then the lab work loaded in a scratch folder (an experiment
// chapter may name the descriptor itself as its schema file), its variants activated and its
// values computed. An error is a fine answer; a crash, a hang or a sanitizer report is not.

#include "ExperimentChapter.h"
#include "IniFile.h"
#include "LabWork.h"
#include "LabWorkJson.h"
#include "ModelMessages.h"
#include "RuntimeErrors.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString descriptorPath;

void readEverything(const TIniFile &ini)
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const QString &section : ini.ReadSections()) {
        for (const QString &key : ini.ReadSection(section)) {
            ini.ReadString(section, key, QString());
            ini.ReadInteger(section, key, -1);
            ini.ReadBool(section, key, false);
            ini.ReadFloat(section, key, 0.5, russian);
            ini.ReadFloat(section, key, 0.5, english);
            ini.KeyLine(section, key);
        }
        ini.SectionLine(section);
    }
}

void playLabWork(const TLabWork &labWork)
{
    kelvo::labWorkToJson(labWork);
    for (int i = 0; i < labWork.Chapters().Count(); ++i) {
        labWork.CanOpen(i);
        auto *experiment = dynamic_cast<TExperimentChapter *>(labWork.Chapters().Items(i));
        if (!experiment)
            continue;
        for (int v = 0; v < experiment->Variants.Count(); ++v) {
            experiment->ActivateVariant(experiment->Variants.Variant(v)->SectionName);
            experiment->Recalculate();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    static QTemporaryDir scratch;
    if (!scratch.isValid())
        std::abort();
    QDir::setCurrent(scratch.path());
    descriptorPath = scratch.filePath(QStringLiteral("labwork.lbw"));
    kelvo::setActivationErrorHandler([](const QString &) {});
    kelvo::setValueTextErrorHandler([](const kelvo::ValueTextError &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile file(descriptorPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    try {
        readEverything(TIniFile(descriptorPath));
        const TLabWork labWork(descriptorPath);
        playLabWork(labWork);
    } catch (const ERuntimeError &) {
    }
    return 0;
}
