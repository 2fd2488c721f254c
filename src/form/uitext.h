#pragma once

#include <QStringList>

namespace tavelon {

class MainForm;
struct AppState;

// The German texts of the UiText table, entry 0 first. Language files replace them; their numbers
// never change, so unused entries keep their places. The classic table has 22 entries.
const QStringList &builtInUiTexts();

inline constexpr int kClassicUiTexts = 22;

// The entries of the UiText table by name; language files list the texts in this order.
enum UiTextEntry : int {
    kUiFramesNotLoaded = 0,
    kUiWriteFailed,
    kUiClipNameMissing,
    kUiDeleteFrameQuestion,
    kUiFrames,
    kUiPreviewFrameCaption,
    kUiTopLeft,
    kUiTopRight,
    kUiBottomLeft,
    kUiBottomRight,
    kUiSmall,
    kUiMedium,
    kUiLarge,
    kUiHuge,
    kUiOverwriteQuestionStart,
    kUiOverwriteQuestionEnd,
    kUiNoClipsFound,
    kUiNewClipFound,
    kUiEnterName,
    kUiCancel,
    kUiApply,
    kUiFolderExists,
    kUiVideoLength, // %1 seconds
    kUiClipChecking,
    kUiClipOk,
    kUiProblemsFound,    // %1 problems; singular|plural
    kUiFrameUnreadable,  // %1 file
    kUiFrameSizeDiffers, // %1 file, %2 × %3 its size, %4 × %5 the first frame's
    kUiFrameOutOfOrder,  // %1 file, %2 the file it follows
    kUiNumberingGap,     // %1, %2 the frames around the gap
    kUiNotAFrame,        // %1 file
    kUiCheckSummary,     // %1 frames, %2 × %3 first size, %4 seconds, %5 speed; singular|plural
    kUiCheckIncomplete,
    kUiMoreProblems,         // %1 further lines
    kUiProgramFolder,        // the program folder that cannot be made (its path follows)
    kUiClipBusy,             // another copy is writing the clip's video
    kUiSoundtrackNotLocal,   // %1 the audio file named
    kUiSoundtrackUnreadable, // %1 the audio file
    kUiSoundtrackNoAudio,    // %1 the audio file
    kUiCheckNoReadableFrame, // %1 frames, none of them readable
    kUiClipWithoutFrames,    // %1 clip: no frame could be read, no video made
    kUiFramesRepeated,       // %1 frames not read and repeated, %2 the first few files; singular|plural
    kUiNoClips,              // where clips go (the frames folder's path follows)
    kUiOpenFolder,           // the button that opens a folder in the file manager
    kUiClipNameTaken,        // %1 frames folder, %2 the name a dropped folder's clip would have
    kUiClipLinkFailed,       // %1 the dropped folder, %2 the frames folder
    kUiVideoWritten,         // %1 the video file written
    kUiPlayVideo,            // the button that plays the video in the desktop's player
    kUiLanguage,             // the caption of the language choice
    kUiTextCount,            // the number of entries, not one of them
};
static_assert(kUiVideoLength == kClassicUiTexts);

// Fills the UiText table (the items of uiTextList): from the language file named by
// state.LanguageChoice, or else by the key "Language" of Halvane.ini, or else by
// state.DesktopLanguage, when that file exists in
// the program folder's or the installed language folder; otherwise with the built-in texts. Also
// sets state.LanguageName. Runs once at start-up, before the option lists are filled.
void FillLanguageList(MainForm &form);

// The file of the language name: <name>3.lng in the program folder's Language folder, else among
// the installed copy's own language files; empty when there is none (or name is empty).
QString languageFilePath(const AppState &state, const QString &name);

// The name that chooses the built-in German texts: it has no file.
QString builtInLanguageName();

// The languages there are: the built-in one, then every <name>3.lng of the program folder's
// Language folder, then those among the installed files, each name once (letter case ignored).
QStringList availableLanguages(const AppState &state);

// Changes the form's language while it runs: the captions and tooltips the language file in use
// gave go back to the built-in ones, then the UiText table is filled again for name and its file
// (if any) applied, as FillLanguageList() does at start-up. Lists filled from the table are the
// caller's to fill again.
void switchLanguage(MainForm &form, const QString &name);

// True for a name of availableLanguages() (letter case ignored).
bool isKnownLanguage(const AppState &state, const QString &name);

} // namespace tavelon
