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

// About dialog
inline const QString AboutCaption = QStringLiteral("Авторство");
inline const QString AboutLabWorkTab = QStringLiteral("Лабораторная");
inline const QString AboutProgramTab = QStringLiteral("Программа");
inline const QString AboutComponentsTab = QStringLiteral("Компоненты");
inline const QString AboutAuthorPrefix = QStringLiteral("Авторство: ");
inline const QString AboutLicenseButton = QStringLiteral("Текст лицензии (LICENSE.TXT)");
inline const QString AboutComponentsHeading = QStringLiteral("В Kelvo использованы следующие программные компоненты:");
inline const QString OkButton = QStringLiteral("OK");

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

// Results dialog
inline const QString ResultsCaption = QStringLiteral("Результаты:");
inline const QString ResultsTotal = QStringLiteral("Всего заданий:");
inline const QString ResultsRight = QStringLiteral("Верно выполненных:");
inline const QString ResultsWrong = QStringLiteral("Неверно выполненных:");
inline const QString ResultsPercentLabel = QStringLiteral("Задание выполнено на:");
inline const QString ResultsPercent = QStringLiteral("%0.2f%%");
inline const QString ResultsNumber = QStringLiteral("%d");
inline const QString CloseButton = QStringLiteral("Закрыть");

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
