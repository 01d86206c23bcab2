// The question-file reader on arbitrary bytes: the quiz page of an examination chapter generated
// in a scratch folder from one question file, then its own answers checked. The first byte says
// whether the file is the question's range file or one of its variant files, and how many
// questions the chapter asks (the later ones have no file). An error is a fine answer; a crash, a
// hang or a sanitizer report is not.

#include "IniFile.h"
#include "RuntimeErrors.h"
#include "TaskChapter.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<TIniFile> oneQuestion;
std::unique_ptr<TIniFile> twoQuestions;

std::unique_ptr<TIniFile> descriptor(const QDir &folder, const QString &name, int questions)
{
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write("[Header]\r\nTitle=Fuzz\r\n[quiz]\r\nType=Examination\r\nIdentifier=1\r\nHeading=Quiz\r\nQuestions="
        + QByteArray::number(questions) + "\r\n");
    file.close();
    return std::make_unique<TIniFile>(file.fileName());
}

void place(const QString &name, const uint8_t *data, size_t size)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    static QTemporaryDir scratch;
    if (!scratch.isValid())
        std::abort();
    const QDir folder(scratch.path());
    oneQuestion = descriptor(folder, QStringLiteral("one.lbw"), 1);
    twoQuestions = descriptor(folder, QStringLiteral("two.lbw"), 2);
    QDir::setCurrent(scratch.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const bool range = data[0] & 1;
    const TIniFile &ini = data[0] & 2 ? *twoQuestions : *oneQuestion;
    const QString rangeName = QStringLiteral("c001.q001.range.q");
    const QString variantName = QStringLiteral("c001.q001.vA.q");
    QFile::remove(range ? variantName : rangeName);
    place(range ? rangeName : variantName, data + 1, size - 1);

    TTaskChapter chapter(QStringLiteral("quiz"), &ini);
    try {
        chapter.GetHTML();
    } catch (const ERuntimeError &) {
    }
    chapter.CheckAnswers(chapter.Answers);
    return 0;
}
