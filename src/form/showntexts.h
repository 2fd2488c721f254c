#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavelon {

class MainForm;

// Texts the window and the batch mode show beyond the classic form's controls: the compression
// dialog, the message boxes' buttons and the progress lines. Each is the caption of a hidden label
// of the form (named in shownTextDefaults()), German by default, so that a language file replaces
// it with a "^" block of that name like any other caption. %1, %2 … stand for numbers filled in.
enum class ShownText {
    CompressionTitle,  // frmCompression
    Compressor,        // lblCompressor
    Quality,           // lblQuality
    KeyFrames,         // lblKeyFrames
    DataRate,          // lblDataRate
    KeyFramesDefault,  // lblKeyFramesDefault: the key-frame box at 0
    KeyFramesUnit,     // lblKeyFramesUnit: after the key-frame count
    DataRateOff,       // lblDataRateOff: the data-rate box at 0
    DataRateUnit,      // lblDataRateUnit: after the data rate
    CompressionOk,     // cmdCompressionOk
    CompressionCancel, // cmdCompressionCancel
    Container,         // lblContainer: the file format (AVI, MP4)
    FitPad,            // chkFitPad: frames of another shape fitted with black bars
    NoBrowserPlayback, // lblNoBrowserPlayback: web browsers do not play compressor %1 in MP4
    MessageYes,        // cmdMsgYes
    MessageNo,         // cmdMsgNo
    MessageOk,         // cmdMsgOk
    Progress,          // lblProgress: frame %1 of %2 while the window makes a video
    BatchProgress,     // lblBatchProgress: frame %1 of %2, %3 frames per second, %4 (m:ss) left
};

struct ShownTextDefault
{
    ShownText text;
    const char *controlName;
    const char *german; // UTF-8
};

// Every shown text with the name of the label that holds it and its German text, in enum order.
const QList<ShownTextDefault> &shownTextDefaults();

// The text as the form holds it now (a language file may have replaced it).
QString shownText(const MainForm &form, ShownText text);

// The pattern with %1 … %9 replaced by values[0] … values[8] in one pass; a placeholder without a
// value stays as it is, so no text a language file gives can make the filling fail.
QString fillPlaceholders(const QString &pattern, const QStringList &values);

} // namespace tavelon
