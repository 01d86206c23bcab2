#pragma once

// The texts of the package checker (kelvo --check), which tells a lab work's author what the
// player would silently do with the package. Patterns use the runtime's Format directives (%s, %d),
// see kelvo::format. The level words and the codes of findings are fixed English tokens for tools.

#include <QString>

namespace CheckTexts {

inline const QString LevelError = QStringLiteral("error");
inline const QString LevelWarning = QStringLiteral("warning");
inline const QString Summary = QStringLiteral("Ошибок: %d, предупреждений: %d");

// Parts that several messages share
inline const QString Suggestion = QStringLiteral(" (возможно, имелось в виду «%s»)");
inline const QString ReadOnlyByKinds = QStringLiteral(" (его читают только главы типа %s)");
inline const QString ReadOnlyByClasses = QStringLiteral(" (его читают только приборы класса %s)");
inline const QString BlanksCount = QStringLiteral(" (пробелы учитываются)");
inline const QString ListSeparator = QStringLiteral(", ");
inline const QString ReasonSeparator = QStringLiteral("; ");
inline const QString TooManyTags = QStringLiteral(
    "В документе больше %d тегов и фрагментов текста: проверены только первые, остальное не проверялось");
inline const QString MoreOfKind = QStringLiteral("И ещё %d таких же замечаний в этом файле (не показаны)");

// INI files: descriptor and schema files
inline const QString IgnoredLine = QStringLiteral(
    "Строка не читается: это не раздел в квадратных скобках и не ключ вида Имя=значение внутри раздела; "
    "Kelvo её пропускает");
inline const QString DuplicateSection = QStringLiteral(
    "Раздел [%s] уже был в строке %d: Kelvo читает ключи только первого раздела с этим именем, этот не действует");
inline const QString SectionBeyondNameList = QStringLiteral(
    "Раздел [%s] не виден: список имён разделов ограничен 16384 байтами, и это имя в него не поместилось");
inline const QString KeyBeyondNameList = QStringLiteral(
    "Ключ %s не виден: список имён ключей раздела ограничен 16384 байтами, и это имя в него не поместилось");
inline const QString DuplicateKey
    = QStringLiteral("Ключ %s уже задан в строке %d: действует первое значение, это не читается");
inline const QString ValueTooLong = QStringLiteral("Значение ключа %s длиннее 2047 знаков: Kelvo отбросит лишнее");
inline const QString UnknownKey = QStringLiteral("Ключ %s здесь не читается, Kelvo его пропустит%s");
inline const QString MissingSection = QStringLiteral("Нет раздела [%s]: %s");
inline const QString MissingKey = QStringLiteral("В разделе [%s] нет ключа %s: %s");
inline const QString EmptyKey = QStringLiteral("Ключ %s пуст: %s");
inline const QString BadInteger
    = QStringLiteral("Значение «%s» ключа %s не читается как целое число: Kelvo возьмёт %d");
inline const QString BadDecimal
    = QStringLiteral("Значение «%s» ключа %s не читается как число с десятичным разделителем «%s»: Kelvo возьмёт %s");
inline const QString ValueWraps
    = QStringLiteral("Значение %s ключа %s вне 0..255: Kelvo возьмёт остаток от деления на 256, то есть %d");

// What a missing value does
inline const QString MarkerShown = QStringLiteral("вместо текста будет показано «* Error reading chapter *»");
inline const QString DocumentWillNotOpen = QStringLiteral("глава не откроется («Cannot open file ./»)");
inline const QString NoSchema = QStringLiteral("у эксперимента не будет ни картинки, ни приборов");
inline const QString PictureWillNotLoad = QStringLiteral("страница эксперимента не сможет показать картинку");
inline const QString EmptyQuiz = QStringLiteral("тест будет без вопросов");
inline const QString MarkerAsIdentifier
    = QStringLiteral("в расчётах прибор будет называться «* Error reading chapter *»");

// Chapter types and device classes
inline const QString MissingType = QStringLiteral("В разделе [%s] нет ключа Type: глава не попадёт в меню");
inline const QString UnknownType = QStringLiteral(
    "Тип «%s» неизвестен (допустимы Information, Examination, Experiment, регистр букв важен): глава не "
    "попадёт в меню%s");
inline const QString MissingClass = QStringLiteral("В разделе [%s] нет ключа Class: прибора не будет");
inline const QString UnknownClass = QStringLiteral(
    "Класс «%s» неизвестен (допустимы Measurement, Passive, Area, регистр букв важен): прибора не будет%s");

// Requirements, identifiers and links
inline const QString BadRequiredEntry
    = QStringLiteral("Элемент «%s» в RequiredChapters не читается как число и пропускается%s");
inline const QString BlankBeforeComma = QStringLiteral(" (пробел перед запятой не допускается)");
inline const QString RequiredWraps = QStringLiteral("Идентификатор %s в RequiredChapters вне 0..255: Kelvo возьмёт %d");
inline const QString UnknownRequired
    = QStringLiteral("Требуется глава с идентификатором %d, но такой главы нет: требование ничего не значит");
inline const QString RequiresItself
    = QStringLiteral("Глава требует свой же идентификатор %d: такое требование ничего не значит");
inline const QString RequiresExperiment = QStringLiteral(
    "Глава требует эксперимент [%s], а эксперимент никогда не считается пройденным: глава никогда не откроется");
inline const QString RequirementCycle
    = QStringLiteral("Главы требуют друг друга по кругу (%s): ни одна из них никогда не откроется");
inline const QString NeverOpens = QStringLiteral(
    "Глава требует главу [%s], которая сама никогда не откроется: эта глава тоже никогда не откроется");
inline const QString DuplicateIdentifier = QStringLiteral("Идентификатор %d уже есть у главы [%s]: %s");
inline const QString SharedQuestionFiles
    = QStringLiteral("обе контрольные возьмут одни и те же файлы вопросов «c%3.3d.q*.q»");
inline const QString SharedRequirement
    = QStringLiteral("глава, которая требует этот идентификатор, будет ждать прохождения обеих");
inline const QString SharedLink = QStringLiteral("кнопка «Указания...» откроет последнюю из них");
inline const QString MissingLink
    = QStringLiteral("Кнопка «Указания...» ничего не откроет: главы с идентификатором %d нет");
inline const QString LinkNotInformation
    = QStringLiteral("Кнопка «Указания...» откроет главу [%s] типа %s, а не документ");

// Files that the lab work names
inline const QString MissingFile = QStringLiteral("Нет файла «%s» (%s)%s");
inline const QString NotAFile = QStringLiteral("«%s» (%s) — папка, а не файл");
inline const QString FileCase = QStringLiteral(
    "«%s» (%s) отличается от имени файла «%s» только регистром букв: Kelvo его найдёт, но лучше писать имя "
    "точно");
inline const QString SubfolderInPackage = QStringLiteral(
    "«%s» (%s) лежит в пакете в папке, а пакет распаковывается без папок: файл окажется под именем «%s», "
    "пишите просто его");
inline const QString SubfolderInPlace = QStringLiteral(
    "«%s» (%s) найдётся, только пока описание читается на месте: в пакете папки теряются, пишите просто "
    "«%s» и кладите файл рядом с описанием");
inline const QString CharsetMismatch = QStringLiteral(
    "Документ объявляет кодировку %s, а записан %s: вместо русских букв ученик увидит непонятные знаки");
inline const QString InUtf8 = QStringLiteral("в UTF-8");
inline const QString NotInUtf8 = QStringLiteral("не в UTF-8 (видимо, в windows-1251)");
inline const QString PackageRefused = QStringLiteral("Kelvo не откроет пакет, а скажет, что файл данных повреждён: %s");
inline const QString NotAZipArchive = QStringLiteral("это не архив ZIP");
inline const QString UnreadableFile = QStringLiteral("Файл «%s» (%s) не читается: %s");
inline const QString DuplicateEntry
    = QStringLiteral("Записи пакета «%s» и «%s» распаковываются в один файл «%s»: останется только последняя");
inline const QString CaseCollision = QStringLiteral(
    "Файлы «%s» и «%s» различаются только регистром букв: на Windows это один файл, а Kelvo берёт тот, чьё "
    "имя написано в точности");
inline const QString WhatDocument = QStringLiteral("документ главы");
inline const QString WhatSchema = QStringLiteral("файл схемы");
inline const QString WhatPicture = QStringLiteral("картинка схемы");
inline const QString WhatReference = QStringLiteral("ссылка из документа");
inline const QString WhatQuestion = QStringLiteral("файл вопроса");
inline const QString WhatQuizStyleSheet = QStringLiteral("таблица стилей страниц тестов");

// Question files
inline const QString NoQuestions = QStringLiteral("Questions=%d: тест будет без вопросов");
inline const QString UnknownReview
    = QStringLiteral("Review=%d: разбор после проверки знает значения 0 (нет), 1 (отметки) и 2 (отметки и правильные "
                     "ответы); это значение действует как %d");
inline const QString MissingQuestion = QStringLiteral(
    "Для вопроса %d нет ни файла «%s», ни файлов «%s»: тест не откроется («List index out of bounds (0)»)");
inline const QString QuestionsExceed = QStringLiteral(
    "Questions=%d, а файлы есть только для вопросов 1–%d: тест не откроется («List index out of bounds (0)»)");
inline const QString NoQuestionFiles = QStringLiteral(
    "Questions=%d, а файлов вопросов «%s» нет ни одного: тест не откроется («List index out of bounds (0)»)");
inline const QString UnusedQuestionFile = QStringLiteral("Вопрос %d не попадёт в тест: Questions=%d");
inline const QString BadQuestionNumber = QStringLiteral(
    "Имя не подходит ни к одному вопросу: номер вопроса пишется не меньше чем тремя цифрами, например «%s»");
inline const QString OrphanQuestionFile
    = QStringLiteral("Файл вопроса для главы с идентификатором %s, но контрольной с таким идентификатором нет");
inline const QString ShadowedVariants
    = QStringLiteral("Этот вариант никогда не используется: для вопроса %d есть файл «%s», и он важнее вариантов");
inline const QString NoSeparator = QStringLiteral(
    "Нет строки-разделителя «<!--END-->» (целая строка, без пробелов, заглавными): при открытии теста будет "
    "ошибка «List index out of bounds (%d)»");
inline const QString NoSecondSeparator = QStringLiteral(
    "В файле «...range.q» нужны две строки-разделителя «<!--END-->» (заголовок, текст вопроса, ответы), а "
    "есть одна: при открытии теста будет ошибка «List index out of bounds (%d)»");
inline const QString SeparatorTypo = QStringLiteral(
    "Строка похожа на разделитель, но разделитель — ровно «<!--END-->», без пробелов, заглавными: эта строка "
    "им не считается");
inline const QString QuizTooLarge = QStringLiteral(
    "Файл слишком велик для страницы теста: при открытии теста будет ошибка «Quiz page is too large (question %d)»");
inline const QString NoAnswers
    = QStringLiteral("После разделителя нет ни одной строки ответа: этот вопрос никогда не засчитается");
inline const QString AnswerWithoutEquals
    = QStringLiteral("Строка ответа «%s» без «=»: она никогда не совпадёт с ответом ученика");
inline const QString AnswerUnknownControl
    = QStringLiteral("Строка ответа «%s»: в вопросе нет элемента формы с именем «%s»%s, строка никогда не совпадёт");
inline const QString AnswerUnknownValue
    = QStringLiteral("Строка ответа «%s»: у элемента «%s» нет значения «%s» (есть: %s), строка никогда не совпадёт");
inline const QString AnswerBlanks
    = QStringLiteral("Строка ответа «%s» начинается или кончается пробелом: ученик должен ввести его точно так же");
inline const QString QuestionFormTag = QStringLiteral(
    "Тег «%s» в тексте вопроса: все вопросы стоят в одной форме страницы теста, форма вопроса в ней не действует, а "
    "«</form>» закрывает форму теста раньше кнопки проверки, и ответы после него не отправятся; уберите тег");
inline const QString SharedRadioName = QStringLiteral(
    "Переключатели «%s» есть и в вопросе %d: на одной странице теста из них можно выбрать только один");

// Schema files
inline const QString SchemaWithoutSections
    = QStringLiteral("В файле схемы «%s» нет ни одного раздела: у эксперимента не будет ни картинки, ни приборов");
inline const QString UnknownStartVariant = QStringLiteral(
    "StartFrom называет вариант [%s], которого нет (регистр букв важен): при загрузке будет «Activation "
    "error!»%s");
inline const QString VariantUnknownDevice = QStringLiteral(
    "Строка варианта %s не называет ни один измерительный прибор (имя пишется точно как имя раздела прибора, "
    "регистр букв важен)%s: строка ничего не меняет");
inline const QString VariantNotMeasurement = QStringLiteral(
    "Строка варианта %s называет прибор класса %s: значения из вариантов получают только приборы класса "
    "Measurement, строка ничего не меняет");
inline const QString VariantKeyCase = QStringLiteral(
    "Ключ %s читается как %s, но, раз написан не точно так, ещё и попадает в значения варианта: пишите «%s»");
inline const QString BadValueText
    = QStringLiteral("Значение «%s» для прибора %s не вычисляется: %s; прибор его не покажет");
inline const QString BadValueTextAtStart
    = QStringLiteral("Значение «%s» для прибора %s не вычисляется при начальных значениях приборов: %s");
inline const QString UnfedMeasurement
    = QStringLiteral("Измерительный прибор %s не назван ни в одном варианте: он всегда будет показывать 0");
inline const QString DeviceOffPicture
    = QStringLiteral("Прибор %s (Left=%d, Top=%d) стоит вне картинки «%s» размером %d×%d");
inline const QString BadPicture = QStringLiteral("Картинка «%s» не показывается: %s");
inline const QString RangeInverted = QStringLiteral(
    "Max (%s) меньше Min (%s): в окне значения не подойдёт ни одно число, окно можно будет только закрыть");
inline const QString ValueOutOfRange
    = QStringLiteral("Начальное значение %s вне диапазона %s..%s: окно значения откроется на ближайшей границе");
inline const QString MinMaxIgnored
    = QStringLiteral("Ключ %s читается только у регулируемого прибора (Ajustable не 0): здесь он ничего не значит");
inline const QString EmptyHint
    = QStringLiteral("У области %s пустая подсказка: при наведении указателя ничего не покажется");
inline const QString DeviceInvisible = QStringLiteral("Прибор %s размером %d×%d не будет виден на схеме");
inline const QString DuplicatePassiveIdentifier
    = QStringLiteral("Идентификатор %s уже есть у прибора %s: в расчётах действует значение первого");

// HTML documents, question texts and style sheets
inline const QString ScriptTag = QStringLiteral("Скрипт не выполнится: JavaScript в Kelvo выключен");
inline const QString ScriptAttribute = QStringLiteral("Обработчик %s не сработает: JavaScript в Kelvo выключен");
inline const QString ScriptLink = QStringLiteral("Ссылка «javascript:» не сработает: JavaScript в Kelvo выключен");
inline const QString UnsupportedLink = QStringLiteral(
    "Ссылка «%s» не откроется: Kelvo показывает только файлы лабораторной работы, а в браузере открывает "
    "ссылки http и https");
inline const QString NoBodyEnd = QStringLiteral(
    "В документе нет «</body>» (строчными буквами): кнопка «Все прочитано, назад.» окажется в самом начале "
    "страницы");

} // namespace CheckTexts
