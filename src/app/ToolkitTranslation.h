#pragma once

class QLocale;

namespace kelvo {

// Qt's own dialogs (the file dialog, the print dialog, the standard buttons) speak the program's
// language where the system's locale is Russian: Qt's translation qtbase_ru is installed into the
// application. Elsewhere they stay in English rather than in a third language. True when the
// translation was installed. Call once the application object exists.
bool installToolkitTranslation(const QLocale &locale);

} // namespace kelvo
