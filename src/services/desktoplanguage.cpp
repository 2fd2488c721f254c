#include "services/desktoplanguage.h"

#include <QLocale>

namespace tavelon {

QString desktopLocaleName()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

QString languageForLocale(const QString &localeName)
{
    // "de_AT.UTF-8@euro": the language and territory before the code set and the modifier.
    const QString bare = localeName.section(u'.', 0, 0).section(u'@', 0, 0);
    if (bare.isEmpty() || bare == u"C" || bare == u"POSIX")
        return {};
    const QLocale locale(bare);
    // QLocale turns names it does not know into the C locale; those are not German either.
    if (locale.language() == QLocale::German)
        return {};
    return QStringLiteral("English");
}

} // namespace tavelon
