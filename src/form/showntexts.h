#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "services/stderrmessages.h"

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
    Fit,               // lblFit: how frames of another shape go into the video
    FitStretch,        // optFitStretch: stretched over the video
    FitCrop,           // optFitCrop: covering the video, the overhang cut off
    Deflicker,         // chkDeflicker: flicker evened out over the frames counted after it
    Soundtrack,        // lblSoundtrack: the audio file
    SoundtrackChoose,  // cmdSoundtrack: opens the file chooser
    MessageYes,        // cmdMsgYes
    MessageNo,         // cmdMsgNo
    MessageOk,         // cmdMsgOk
    Progress,          // lblProgress: frame %1 of %2 while the window makes a video
    BatchProgress,     // lblBatchProgress: frame %1 of %2, %3 frames per second, %4 (m:ss) left
    // The command line's own messages (usage errors), printed after "brimholt-tavelon: ".
    CliUnknownOption,     // lblCliUnknownOption: %1 the option
    CliMissingValue,      // lblCliMissingValue: %1 the option
    CliStrayArgument,     // lblCliStrayArgument: %1 the argument
    CliInvalidValue,      // lblCliInvalidValue: %1 the value, %2 the option
    CliNotPositive,       // lblCliNotPositive: %1 the value, %2 the option, %3 its largest value
    CliModesCombined,     // lblCliModesCombined: %1, %2 the options
    CliNeedsMakeVideo,    // lblCliNeedsMakeVideo: %1 the option
    CliUnknownLanguage,   // lblCliUnknownLanguage: %1 the name, %2 the known ones
    CliMissingRoot,       // lblCliMissingRoot: %1 the folder
    CliUnknownFormat,     // lblCliUnknownFormat: %1 the name, %2 the presets
    CliUnknownCompressor, // lblCliUnknownCompressor: %1 the id
    CliUnknownClip,       // lblCliUnknownClip: %1 the clip
    CliWrongContainer,    // lblCliWrongContainer: %1 the compressor, %2 the container
    CliStoredContainer,   // lblCliStoredContainer: %1 compressor, %2 stored container, %3 one that fits
    CliLocked,            // lblCliLocked: %1 the program folder
    // The kind of a message where a line on stderr stands for the message box's icon.
    MessageError,       // lblMsgError
    MessageQuestion,    // lblMsgQuestion
    MessageWarning,     // lblMsgWarning
    MessageInformation, // lblMsgInformation
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
// The words of a message line on stderr (icon words, Yes, No, OK) as the form holds them now.
MessageWords messageWords(const MainForm &form);

QString fillPlaceholders(const QString &pattern, const QStringList &values);

// The form of pattern for the count n: a text "singular|plural" gives its first half for n = 1 and
// its second half otherwise; a text without "|" is used for every count.
QString pluralForm(const QString &pattern, qint64 n);

} // namespace tavelon
