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
        {ShownText::MessageYes, "cmdMsgYes", "Ja"},
        {ShownText::MessageNo, "cmdMsgNo", "Nein"},
        {ShownText::MessageOk, "cmdMsgOk", "OK"},
        {ShownText::Progress, "lblProgress", "Frame %1 / %2"},
        {ShownText::BatchProgress, "lblBatchProgress", "Frame %1 / %2, %3 Frames/s, noch %4"},
    };
    return texts;
}

QString shownText(const MainForm &form, ShownText text)
{
    const Control *holder =
        form.findControl(QLatin1String(shownTextDefaults().at(qsizetype(text)).controlName), -1);
    return holder ? holder->caption() : QString();
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

} // namespace tavelon
