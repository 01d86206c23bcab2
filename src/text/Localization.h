#pragma once

// Every fixed text the user sees, in one table, so that a translation touches nothing else.
// Patterns use the runtime's Format directives (%s, %d, %f, %0.2f, %3.3d, %%), see kelvo::format.

#include <QString>

namespace Texts {

// Application
inline const QString ApplicationTitle = QStringLiteral("Kelvo 1.0");
inline const QString ProductName = QStringLiteral("Kelvo");
inline const QString ErrorReadingChapter = QStringLiteral("* Error reading chapter *");

// Runtime errors
inline const QString CannotOpenFile = QStringLiteral("Cannot open file %s");
inline const QString ListIndexOutOfBounds = QStringLiteral("List index out of bounds (%d)");
inline const QString LabWorkFileNotFound = QStringLiteral("TLabWork.Create: File not found (\"%s\").");
inline const QString FileTooLarge = QStringLiteral("File is too large: %s");
inline const QString NotADescriptor = QStringLiteral("Not a lab work descriptor: %s");

// Start-up
inline const QString ErrorCaption = QStringLiteral("Ошибка");
inline const QString DamagedPackage
    = QStringLiteral("Ошибка загрузки: поврежден файл данных \"%s\".\nЗавершение работы программы.");
// The package could not be unpacked for want of room (space, inodes, quota) in the temporary folder.
inline const QString TemporaryFolderFull
    = QStringLiteral("Ошибка загрузки: во временной папке \"%s\" не хватает места.\nЗавершение работы программы.");
inline const QString DescriptorError
    = QStringLiteral("Ошибка чтения файла данных.\nФайл: \"%s\".\nЗавершение работы программы.");
inline const QString CopyrightPrefix = QStringLiteral("Copyright ");
// On standard error, when the web engine starts.
inline const QString NoSandboxWarning
    = QStringLiteral("kelvo: warning: running as root, so the web engine runs without its sandbox (--no-sandbox)");

// Menu
inline const QString MenuTitle = QStringLiteral("Kelvo");
inline const QString ExitButton = QStringLiteral("Выход из программы");
inline const QString AttentionCaption = QStringLiteral("Внимание");
inline const QString ChapterLocked
    = QStringLiteral("К разделам, помеченным серым цветом, нельзя перейти без прохождения предыдущих разделов.");
// Which chapters keep a locked one closed: the message's second line and the button's tooltip.
inline const QString ChapterLockedBy = QStringLiteral("Сначала пройдите %s.");
// A chapter's title in the list of those to pass first; one without a title by its place in the menu.
inline const QString ChapterQuoted = QStringLiteral("«%s»");
inline const QString ChapterUntitled = QStringLiteral("раздел %d");
inline const QString ChapterListSeparator = QStringLiteral(", ");
// What a screen reader tells after a menu button's title.
inline const QString ChapterStateLocked = QStringLiteral("закрыта: сначала пройдите %s");
inline const QString ChapterStatePassed = QStringLiteral("пройдена");
inline const QString ChapterStateOpen = QStringLiteral("открыта");
// What the menu's bottom panel opens, told to a screen reader.
inline const QString CopyrightsPanelDescription = QStringLiteral("Об авторах лабораторной работы и о программе");

// About dialog
inline const QString AboutCaption = QStringLiteral("Авторство");
inline const QString AboutLabWorkTab = QStringLiteral("Лабораторная");
inline const QString AboutProgramTab = QStringLiteral("Программа");
inline const QString AboutComponentsTab = QStringLiteral("Компоненты");
inline const QString AboutAuthorPrefix = QStringLiteral("Авторство: ");
inline const QString AboutLicenseButton = QStringLiteral("Текст лицензии (LICENSE.TXT)");
inline const QString AboutComponentsHeading = QStringLiteral("В Kelvo использованы следующие программные компоненты:");
inline const QString OkButton = QStringLiteral("OK");
// What a screen reader calls the about dialog's pictures and memos.
inline const QString AboutLabWorkPicture = QStringLiteral("Эмблема лабораторной работы");
inline const QString AboutDescriptionName = QStringLiteral("Описание лабораторной работы");
inline const QString AboutLicenseNoteName = QStringLiteral("О лицензии");

// Information chapters
inline const QString ReadConfirmationForm
    = QStringLiteral("<div align=\"center\"><form action=\"?system\"><input type=\"submit\" "
                     "value=\"   Все прочитано, назад.   \"></form></div>");
inline const QString HtmlPageHint
    = QStringLiteral("Используйте клавиши со стрелками, а так же клавиши [PageUp] (на экран назад) и [PageDown] "
                     "(на экран вперед) для просмотра всей страницы.");
// Buttons of the HTML page, outside the document.
inline const QString BackToDocumentButton = QStringLiteral("Назад к документу");
// The engine's page process ended under a document (a crash, or killed): the menu comes back.
inline const QString DocumentFailed
    = QStringLiteral("Документ \"%s\" не может быть показан: программа просмотра страниц аварийно завершилась.\n"
                     "Пройденные разделы сохранены. Раздел можно открыть снова из меню");
// A form of a document that the viewer could not read: nothing was sent.
inline const QString FormUnreadable = QStringLiteral("Форма документа не прочитана, ответы не отправлены: %s");

// In the HTML viewer's place when its web engine library is missing or does not load; %s is the
// library's file name.
inline const QString ViewerEngineMissing = QStringLiteral(
    "Документ не может быть показан: не загружен модуль просмотра документов (%s).\nПереустановите программу.");

// Quizzes
inline const QString QuestionSeparator = QStringLiteral("<!--END-->");
inline const QString RangeQuestionFile = QStringLiteral("c%3.3d.q%3.3d.range.q");
inline const QString VariantQuestionFile = QStringLiteral("c%3.3d.q%3.3d.v%s.q");
inline const QString QuizPageHead
    = QStringLiteral("<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\">"
                     "<link rel=\"StyleSheet\" type=\"text/css\" href=\"quest.css\"></head><body><h1>%s</h1>"
                     "Попытка номер: %d<br><form action=\":quest\" method=\"post\">");
inline const QString QuizPageFooter
    = QStringLiteral("<div align=\"center\">Будьте внимательны, необходимо указать все ответы, прежде, чем сдавать "
                     "решение на проверку.<br><br><input type=\"submit\" id=\"submit_button\" "
                     "value=\"   Проверить решение   \"></div></form><form action=\":return\" method=\"post\">"
                     "<div class=\"return_button_div\" align=\"center\"><input id=\"return_button\" type=\"submit\" "
                     "id=\"submit_button\" value=\"   Вернуться в меню    \"></div></form></body></html>");
inline const QString QuestionRule = QStringLiteral("<hr>");

// Review of a checked quiz
inline const QString ReviewPageHead = QStringLiteral(
    "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\"><link "
    "rel=\"StyleSheet\" type=\"text/css\" href=\"quest.css\"></head><body><h1>%s</h1>Разбор попытки номер: "
    "%d<br>");
inline const QString ReviewPageFooter = QStringLiteral(
    "<form action=\":return\" method=\"post\"><div class=\"return_button_div\" align=\"center\"><input "
    "id=\"return_button\" type=\"submit\" value=\"   Вернуться в меню    \"></div></form></body></html>");
inline const QString ReviewQuestionStart = QStringLiteral(
    "<div class=\"%s\" style=\"border-left: 6px solid %s; padding-left: 8px; margin: 6px 0\"><p style=\"color: %s; "
    "font-weight: bold\">%s</p>");
inline const QString ReviewQuestionEnd = QStringLiteral("</div>");
inline const QString ReviewRight = QStringLiteral("Верно");
inline const QString ReviewWrong = QStringLiteral("Неверно");
inline const QString ReviewExpected = QStringLiteral("<p class=\"review_expected\">Правильный ответ: %s</p>");

// Results dialog
inline const QString ResultsCaption = QStringLiteral("Результаты:");
inline const QString ResultsTotal = QStringLiteral("Всего заданий:");
inline const QString ResultsRight = QStringLiteral("Верно выполненных:");
inline const QString ResultsWrong = QStringLiteral("Неверно выполненных:");
inline const QString ResultsPercentLabel = QStringLiteral("Задание выполнено на:");
inline const QString ResultsPercent = QStringLiteral("%0.2f%%");
inline const QString ResultsNumber = QStringLiteral("%d");
inline const QString CloseButton = QStringLiteral("Закрыть");
// The results dialog's name for a screen reader: the caption, then the test's title.
inline const QString ResultsAccessibleName = QStringLiteral("Результаты: %s");
// A row of the results as a screen reader tells it: the caption, then the number.
inline const QString ResultsRowAccessibleName = QStringLiteral("%s %s");

// Report of the run, which the student saves or prints and a classroom collects
inline const QString ReportHeading = QStringLiteral("Отчёт о выполнении лабораторной работы");
inline const QString ReportLabWork = QStringLiteral("Лабораторная работа:");
inline const QString ReportAuthor = QStringLiteral("Автор:");
inline const QString ReportStarted = QStringLiteral("Начало работы:");
inline const QString ReportWritten = QStringLiteral("Отчёт составлен:");
inline const QString ReportStudent = QStringLiteral("Выполнил(а):");
inline const QString ReportGroup = QStringLiteral("Группа (класс):");
inline const QString ReportUser = QStringLiteral("Пользователь компьютера:");
inline const QString ReportChapter = QStringLiteral("Раздел");
inline const QString ReportState = QStringLiteral("Состояние");
inline const QString ReportOpened = QStringLiteral("Открыт, раз");
inline const QString ReportKind = QStringLiteral("Вид");
inline const QString ReportKindInformation = QStringLiteral("документ");
inline const QString ReportKindExamination = QStringLiteral("тест");
inline const QString ReportKindExperiment = QStringLiteral("эксперимент");
inline const QString ReportScore = QStringLiteral("Результат и проверки");
inline const QString ReportScoreValue = QStringLiteral("%0.2f%%");
inline const QString ReportLastScore = QStringLiteral("последний: %0.2f%%");
inline const QString ReportBestScore = QStringLiteral("лучший: %0.2f%%");
inline const QString ReportDigest = QStringLiteral("SHA-256 лабораторной работы:");
inline const QString ReportPassed = QStringLiteral("пройден");
inline const QString ReportStartedChapter = QStringLiteral("начат");
inline const QString ReportNotOpened = QStringLiteral("не открывался");
inline const QString ReportCheck = QStringLiteral("%d из %d (%0.2f%%), %s");
inline const QString ReportNoChecks = QStringLiteral("—");
inline const QString ReportSaveMenu = QStringLiteral("Сохранить отчёт в PDF...");
inline const QString ReportPrintMenu = QStringLiteral("Напечатать отчёт...");
inline const QString ReportSaveCaption = QStringLiteral("Сохранить отчёт");
inline const QString ReportPdfFilter = QStringLiteral("Документ PDF (*.pdf)");
inline const QString ReportSaveFailed = QStringLiteral("Не удалось сохранить отчёт в файл \"%s\": %s");
// A path the student chose inside the run's own folder, which the program deletes at exit.
inline const QString ReportInsideRunFolder
    = QStringLiteral("В папку \"%s\" отчёт сохранить нельзя: это временная папка программы, она удаляется при "
                     "выходе. Выберите другую папку.");
inline const QString ReportReplaceQuestion = QStringLiteral("Файл \"%s\" уже существует. Заменить его?");
inline const QString YesButton = QStringLiteral("Да");
inline const QString ReportFolderUnusable
    = QStringLiteral("Папка для отчётов \"%s\" недоступна для записи: %s\nЗавершение работы программы.");
inline const QString ReportNoSuchFolder = QStringLiteral("такой папки нет");
inline const QString ReportNotAFolder = QStringLiteral("это не папка");
inline const QString ReportCannotCreate = QStringLiteral("в ней нельзя создать файл (%s)");
inline const QString ReportWriteTimedOut = QStringLiteral("запись не закончилась за %d с");
inline const QString ReportWriteFailed = QStringLiteral("Не удалось записать отчёт в папку \"%s\": %s");
inline const QString ReportDiskFull = QStringLiteral("на диске не осталось места");
inline const QString ReportNoFreeName = QStringLiteral("все имена для отчёта этого запуска заняты");
inline const QString ReportFilesReplaced = QStringLiteral("файлы отчёта раз за разом подменяются");

// The student's name dialog: who does the work, for the report
inline const QString StudentDialogCaption = QStringLiteral("Кто выполняет работу");
inline const QString StudentDialogIntro
    = QStringLiteral("Укажите свои фамилию, имя и группу (класс): они будут записаны в отчёт о работе.");
inline const QString StudentNameLabel = QStringLiteral("&Фамилия и имя:");
inline const QString StudentGroupLabel = QStringLiteral("&Группа (класс):");
// The fields as a screen reader names and describes them.
inline const QString StudentNameAccessibleName = QStringLiteral("Фамилия и имя");
inline const QString StudentNameDescription = QStringLiteral("Обязательно. Например: Иванова Мария");
inline const QString StudentGroupAccessibleName = QStringLiteral("Группа (класс)");
inline const QString StudentGroupDescription = QStringLiteral("Обязательно. Например: 9А или ИВТ-21");
inline const QString CancelButton = QStringLiteral("Отмена");

// Experiments
inline const QString ActivationError = QStringLiteral("Activation error!");
inline const QString LabPageHint
    = QStringLiteral("Для получения информации об элементе схемы наведите на него указатель мыши, и в нижней части "
                     "рабочей области появится описание элемента. Для переключения значения тока накачки Iн "
                     "используйте кнопки справа. Для возврата к главному меню программы нажмите кнопку \"Меню\" "
                     "справа внизу. При затруднениях воспользуйтесь кнопкой \"Указания\" справа внизу.");
inline const QString SchemaCaption = QStringLiteral("Исследуемая схема");
inline const QString InstructionCaption = QStringLiteral("Описание работы");
inline const QString ActionsCaption = QStringLiteral("Действия");
inline const QString InfoButton = QStringLiteral("Указания...");
inline const QString MenuButton = QStringLiteral("Меню");
inline const QString PassiveDeviceText = QStringLiteral("%f %s");
inline const QString MeasurementDeviceText = QStringLiteral("%f %s");
// A device's label as a screen reader tells it: its title, then the value it shows.
inline const QString DeviceAccessibleName = QStringLiteral("%s: %s");
// A measurement device whose value text does not evaluate: shown instead of a stale number, and
// the description strip says why while the pointer is over it (value text, reason).
inline const QString MeasurementFailedText = QStringLiteral("—");
inline const QString MeasurementFailedLine1 = QStringLiteral("Значение прибора не вычисляется");
inline const QString MeasurementFailedLine2 = QStringLiteral("%s: %s");

// Schema pictures
inline const QString UnknownPictureExtension = QStringLiteral("Unknown picture file extension (.%s)");
inline const QString InvalidBitmap = QStringLiteral("Bitmap image is not valid: %s");
inline const QString InvalidIcon = QStringLiteral("Icon image is not valid: %s");
inline const QString InvalidJpeg = QStringLiteral("JPEG image is not valid: %s");
inline const QString InvalidPng = QStringLiteral("PNG image is not valid: %s");
inline const QString InvalidMetafile = QStringLiteral("Metafile is not valid: %s");
inline const QString PictureTooLarge = QStringLiteral("Picture is too large: %s");

// Device value dialog
inline const QString DeviceDialogCaption = QStringLiteral("Значение");
inline const QString DeviceInstructions = QStringLiteral("%s:");
// The value dialog's range, as a screen reader tells it.
inline const QString DeviceRange = QStringLiteral("от %f до %f %s");
inline const QString NoButton = QStringLiteral("Нет");
inline const QString NumberInputError = QStringLiteral("Внимание! Ошибка ввода числа. Укажите действительное число.");

// Value texts of measurement devices: reports for the lab work's author
inline const QString ValueTextError = QStringLiteral("%s, device %s: cannot evaluate \"%s\": %s");
inline const QString ExpressionSyntaxError = QStringLiteral("syntax error at character %d");
inline const QString ExpressionAmbiguousNumber
    = QStringLiteral("ambiguous number at character %d (digit grouping or decimal separator?)");
inline const QString ExpressionBadNumber = QStringLiteral("number out of range at character %d");
inline const QString ExpressionUnknownName = QStringLiteral("unknown name \"%s\"");
inline const QString ExpressionUnknownFunction = QStringLiteral("unknown function \"%s\"");
inline const QString ExpressionArgumentCount = QStringLiteral("wrong number of arguments for %s");
inline const QString ExpressionDivisionByZero = QStringLiteral("division by zero");
inline const QString ExpressionNotFinite = QStringLiteral("the result is not a finite number");
inline const QString ExpressionTooDeep = QStringLiteral("the expression is nested too deeply");

// Quiz pages
inline const QString QuizPageTooLarge = QStringLiteral("Quiz page is too large (question %d)");

} // namespace Texts
