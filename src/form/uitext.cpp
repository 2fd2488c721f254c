#include "form/uitext.h"

#include "services/fileservices.h"
#include "services/inifile.h"
#include "form/mainform.h"
#include "form/languagefile.h"

namespace tavelon {

const QStringList &builtInUiTexts()
{
    static const QStringList texts = {
        QStringLiteral("Frames konnten nicht geladen werden !"),
        QStringLiteral("Fehler beim Schreiben der Datei."),
        QStringLiteral("Es muss ein Name für den zu erstellenden Clip angegeben werden."),
        QStringLiteral("Aktuellen Frame wirklich löschen ?"),
        QStringLiteral("Frames"),
        QStringLiteral("Vorschau / AVI Erstellen"),
        QStringLiteral("Links oben"),
        QStringLiteral("Rechts oben"),
        QStringLiteral("Links unten"),
        QStringLiteral("Rechts unten"),
        QStringLiteral("Klein"),
        QStringLiteral("Mittel"),
        QStringLiteral("Gross"),
        QStringLiteral("Riesig"),
        QStringLiteral("Soll die bereits existierende Datei"),
        QStringLiteral("überschrieben werden ?"),
        QStringLiteral("Es wurden keine Clips gefunden."),
        QStringLiteral("Es wurde ein neuer Clip gefunden."),
        QStringLiteral("Bitte einen Namen angeben:"),
        QStringLiteral("Abbrechen"),
        QStringLiteral("Übernehmen"),
        QStringLiteral("Ordner existiert bereits !"),
    };
    return texts;
}

void FillLanguageList(MainForm &form)
{
    form.lstComments.clear();
    AppState &state = form.state;
    state.LanguageName =
        GetIniString(QStringLiteral("Orrin's Halvane"), QStringLiteral("Language"), state.IniFile, QString());
    const QString path = state.LanguagePath + state.LanguageName + QStringLiteral("3.lng");
    if (!state.LanguageName.isEmpty() && FileExists(path)) {
        // The file alone fills the table; a short or missing lstComments block leaves it short.
        LoadLanguage(form, path);
        return;
    }
    for (const QString &text : builtInUiTexts())
        form.lstComments.addItem(text);
}

} // namespace tavelon
