#include "form/showntexts.h"

#include "form/mainform.h"

namespace tavelon {

const QList<ShownTextDefault> &shownTextDefaults()
{
    static const QList<ShownTextDefault> texts = {
        {ShownText::CompressionTitle, "frmCompression", "Videokomprimierung"},
        {ShownText::Compressor, "lblCompressor", "Komprimierungsprogramm:"},
        {ShownText::Quality, "lblQuality", "Komprimierungsqualität:"},
        {ShownText::KeyFrames, "lblKeyFrames", "Keyframe alle:"},
        {ShownText::DataRate, "lblDataRate", "Datenrate:"},
        {ShownText::KeyFramesDefault, "lblKeyFramesDefault", "Standard"},
        {ShownText::KeyFramesUnit, "lblKeyFramesUnit", " Frames"},
        {ShownText::DataRateOff, "lblDataRateOff", "Aus"},
        {ShownText::DataRateUnit, "lblDataRateUnit", " KBit/s"},
        {ShownText::CompressionOk, "cmdCompressionOk", "OK"},
        {ShownText::CompressionCancel, "cmdCompressionCancel", "Abbrechen"},
        {ShownText::Container, "lblContainer", "Dateiformat:"},
        {ShownText::FitPad, "chkFitPad", "Bildform beibehalten (schwarze Ränder statt Verzerrung)"},
        {ShownText::NoBrowserPlayback, "lblNoBrowserPlayback",
         "Web-Browser spielen %1 in MP4 nicht ab; für das Web H.264 wählen."},
        {ShownText::Fit, "lblFit", "Bildform:"},
        {ShownText::FitStretch, "optFitStretch", "Strecken (ganzes Bild, verzerrt)"},
        {ShownText::FitCrop, "optFitCrop", "Ausfüllen (Ränder abgeschnitten, ohne Verzerrung)"},
        {ShownText::Deflicker, "chkDeflicker", "Flackern ausgleichen über"},
        {ShownText::Soundtrack, "lblSoundtrack", "Tonspur:"},
        {ShownText::SoundtrackChoose, "cmdSoundtrack", "Wählen …"},
        {ShownText::MessageYes, "cmdMsgYes", "Ja"},
        {ShownText::MessageNo, "cmdMsgNo", "Nein"},
        {ShownText::MessageOk, "cmdMsgOk", "OK"},
        {ShownText::Progress, "lblProgress", "Frame %1 / %2"},
        {ShownText::BatchProgress, "lblBatchProgress", "Frame %1 / %2, %3 Frames/s, noch %4"},
        {ShownText::CliUnknownOption, "lblCliUnknownOption", "unbekannte Option '%1' (siehe --help)"},
        {ShownText::CliMissingValue, "lblCliMissingValue",
         "die Option '%1' braucht einen Wert (siehe --help)"},
        {ShownText::CliStrayArgument, "lblCliStrayArgument", "unerwartetes Argument '%1' (siehe --help)"},
        {ShownText::CliInvalidValue, "lblCliInvalidValue",
         "ungültiger Wert '%1' für die Option '%2' (siehe --help)"},
        {ShownText::CliNotPositive, "lblCliNotPositive",
         "ungültiger Wert '%1' für die Option '%2': eine Zahl von 1 bis %3 wird gebraucht"},
        {ShownText::CliModesCombined, "lblCliModesCombined",
         "die Optionen '%1' und '%2' schließen sich aus (siehe --help)"},
        {ShownText::CliNeedsMakeVideo, "lblCliNeedsMakeVideo",
         "die Option '%1' gilt nur mit --make-video (siehe --help)"},
        {ShownText::CliUnknownLanguage, "lblCliUnknownLanguage", "unbekannte Sprache '%1' (bekannt: %2)"},
        {ShownText::CliMissingRoot, "lblCliMissingRoot", "der Programmordner '%1' existiert nicht (--root)"},
        {ShownText::CliUnknownFormat, "lblCliUnknownFormat", "unbekanntes Format '%1' (bekannt: %2)"},
        {ShownText::CliUnknownCompressor, "lblCliUnknownCompressor",
         "unbekanntes Komprimierungsprogramm '%1' (siehe --list-compressors)"},
        {ShownText::CliUnknownClip, "lblCliUnknownClip", "unbekannter Clip '%1' (siehe --list-clips)"},
        {ShownText::CliWrongContainer, "lblCliWrongContainer",
         "'%1' lässt sich nicht in %2 schreiben (siehe --list-compressors)"},
        {ShownText::CliStoredContainer, "lblCliStoredContainer",
         "'%1' lässt sich nicht in %2 schreiben, das im Clip gespeicherte Dateiformat: --container %3 dazu "
         "angeben"},
        {ShownText::CliLocked, "lblCliLocked", "auf %1 läuft schon eine andere Kopie"},
        {ShownText::MessageError, "lblMsgError", "Fehler"},
        {ShownText::MessageQuestion, "lblMsgQuestion", "Frage"},
        {ShownText::MessageWarning, "lblMsgWarning", "Warnung"},
        {ShownText::MessageInformation, "lblMsgInformation", "Hinweis"},
    };
    return texts;
}

QString shownText(const MainForm &form, ShownText text)
{
    const Control *holder =
        form.findControl(QLatin1String(shownTextDefaults().at(qsizetype(text)).controlName), -1);
    return holder ? holder->caption() : QString();
}

MessageWords messageWords(const MainForm &form)
{
    return {shownText(form, ShownText::MessageError),   shownText(form, ShownText::MessageQuestion),
            shownText(form, ShownText::MessageWarning), shownText(form, ShownText::MessageInformation),
            shownText(form, ShownText::MessageYes),     shownText(form, ShownText::MessageNo),
            shownText(form, ShownText::MessageOk)};
}

QString fillPlaceholders(const QString &pattern, const QStringList &values)
{
    QString text;
    text.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const int digit = i + 1 < pattern.size() ? pattern.at(i + 1).digitValue() : -1;
        if (c == u'%' && digit >= 1 && digit <= values.size()) {
            text += values.at(digit - 1);
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

QString pluralForm(const QString &pattern, qint64 n)
{
    const qsizetype bar = pattern.indexOf(u'|');
    if (bar < 0)
        return pattern;
    return n == 1 ? pattern.left(bar) : pattern.mid(bar + 1);
}

} // namespace tavelon
