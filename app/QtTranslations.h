// Qt's own texts (box buttons, file dialogs) in the operator's language: the system's, or Chinese
// when the program runs with no locale set, as a service started at boot does.
#pragma once

#include <QLocale>

namespace lumetra {

// The locale Qt's texts follow for a system locale of `system`.
QLocale QtTextLocale(const QLocale& system = QLocale::system());

// Loads Qt's translations for `locale` into the running application; false when none are
// installed for it (Qt's texts then stay in English).
bool InstallQtTranslations(const QLocale& locale);

}  // namespace lumetra
