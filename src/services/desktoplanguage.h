#pragma once

#include <QString>

namespace tavelon {

// The locale the desktop asks messages to be in: the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty, as the C library picks it ("de_DE.UTF-8"); empty when none is.
QString desktopLocaleName();

// The language file a locale calls for: empty (the built-in German texts) for German and for the
// C/POSIX locale, which scripts and bare systems run in; "English" for every other language.
QString languageForLocale(const QString &localeName);

} // namespace tavelon
