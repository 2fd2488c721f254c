#include "form/uitext.h"

#include <QDir>
#include <QFile>

#include "services/codepage1252.h"
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
        QStringLiteral("Länge: %1 s"),
        QStringLiteral("Clip wird geprüft …"),
        QStringLiteral("Clip in Ordnung"),
        QStringLiteral("%1 Problem gefunden|%1 Probleme gefunden"),
        QStringLiteral("%1: Frame nicht lesbar oder beschädigt"),
        QStringLiteral("%1: %2 × %3 Pixel, der erste Frame hat %4 × %5"),
        QStringLiteral("%1 steht nach %2 (Nummer ohne führende Nullen)"),
        QStringLiteral("Lücke in der Nummerierung zwischen %1 und %2"),
        QStringLiteral("%1: keine Frame-Datei"),
        QStringLiteral("%1 Frame, erster Frame %2 × %3 Pixel, Länge %4 s bei %5 Bildern/s|"
                       "%1 Frames, erster Frame %2 × %3 Pixel, Länge %4 s bei %5 Bildern/s"),
        QStringLiteral("Prüfung unvollständig"),
        QStringLiteral("… und %1 weitere"),
        QStringLiteral("Der Programmordner kann nicht angelegt werden:"),
        QStringLiteral(
            "Von diesem Clip wird gerade in einem anderen Fenster oder Auftrag ein Video erstellt."),
        QStringLiteral("Die Tonspur \"%1\" ist keine Datei auf diesem Rechner und wird nicht geöffnet."),
        QStringLiteral("Die Tonspur \"%1\" fehlt oder kann nicht gelesen werden."),
        QStringLiteral("In \"%1\" ist kein Ton, der sich lesen lässt."),
        QStringLiteral("%1 Frame, nicht lesbar: daraus entsteht kein Video|"
                       "%1 Frames, keiner davon lesbar: daraus entsteht kein Video"),
        QStringLiteral("Der Clip '%1' hat keinen lesbaren Frame: es wurde kein Video erstellt."),
        QStringLiteral("%1 Frame konnte nicht gelesen werden, an seiner Stelle steht ein anderer: %2|"
                       "%1 Frames konnten nicht gelesen werden, an ihrer Stelle steht ein anderer: %2"),
        QStringLiteral(
            "Noch keine Clips. Jeder Clip ist ein Ordner mit BMP- oder JPEG-Frames in diesem Ordner "
            "(oder ziehen Sie einen solchen Ordner auf das Fenster):"),
        QStringLiteral("Ordner öffnen"),
        QStringLiteral("Im Ordner %1 gibt es schon '%2': der Ordner wurde nicht als Clip verknüpft."),
        QStringLiteral("Der Ordner %1 konnte nicht als Clip in %2 verknüpft werden."),
        QStringLiteral("Das Video ist fertig: %1"),
        QStringLiteral("Abspielen"),
        QStringLiteral("Sprache:"),
    };
    return texts;
}

QString languageFilePath(const AppState &state, const QString &name)
{
    if (name.isEmpty())
        return {};
    const QString fileName = name + QStringLiteral("3.lng");
    QString path = pathIgnoringCase(state.LanguagePath, fileName);
    if (!FileExists(path) && !state.LanguageFallbackPath.isEmpty())
        path = pathIgnoringCase(state.LanguageFallbackPath, fileName);
    return FileExists(path) ? path : QString();
}

QString builtInLanguageName()
{
    return QStringLiteral("Deutsch");
}

QStringList availableLanguages(const AppState &state)
{
    QStringList names = {builtInLanguageName()};
    const QString suffix = QStringLiteral("3.lng");
    for (const QString &folder : {state.LanguagePath, state.LanguageFallbackPath}) {
        if (folder.isEmpty())
            continue;
        const QStringList files =
            QDir(folder).entryList({QLatin1Char('*') + suffix}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString &file : files) {
            const QString name = file.chopped(suffix.size());
            if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
                names.append(name);
        }
    }
    return names;
}

bool isKnownLanguage(const AppState &state, const QString &name)
{
    return name.compare(builtInLanguageName(), Qt::CaseInsensitive) == 0 ||
           !languageFilePath(state, name).isEmpty();
}

void switchLanguage(MainForm &form, const QString &name)
{
    const QString oldFile = languageFilePath(form.state, form.state.LanguageName);
    if (!oldFile.isEmpty()) {
        QFile file(oldFile);
        const MainForm builtIn;
        if (file.open(QIODevice::ReadOnly)) {
            for (const LanguageBlock &block : parseLanguage(decode1252(file.readAll()))) {
                Control *control = form.findControl(block.name, int(block.index));
                const Control *original = builtIn.findControl(block.name, int(block.index));
                if (!control || !original || block.marker == QLatin1Char('#'))
                    continue;
                control->setCaption(original->caption());
                control->setToolTip(original->toolTip());
            }
        }
    }
    form.state.LanguageChoice = name;
    FillLanguageList(form);
}

void FillLanguageList(MainForm &form)
{
    form.uiTextList.clear();
    AppState &state = form.state;
    state.LanguageName = !state.LanguageChoice.isEmpty()
                             ? state.LanguageChoice
                             : GetIniString(kProgramSection, kLanguageKey, state.IniFile, QString());
    if (state.LanguageName.isEmpty())
        state.LanguageName = state.DesktopLanguage;
    const QString path = languageFilePath(state, state.LanguageName);
    if (!path.isEmpty()) {
        // The file alone fills the table; a short or missing lstComments block leaves it short.
        // A file with the classic 22 entries, written before the later ones existed, gets the
        // built-in texts for those.
        LoadLanguage(form, path);
        if (form.uiTextList.count() >= kClassicUiTexts) {
            for (qsizetype i = form.uiTextList.count(); i < builtInUiTexts().size(); ++i)
                form.uiTextList.addItem(builtInUiTexts().at(i));
        }
        return;
    }
    for (const QString &text : builtInUiTexts())
        form.uiTextList.addItem(text);
}

} // namespace tavelon
