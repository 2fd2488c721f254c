#pragma once

#include <QString>

namespace tavelon {

struct BatchOptions;
struct ProgramFolder;

// Exit codes of the batch mode.
enum BatchExit { BatchOk = 0, BatchFailed = 1, BatchUsage = 2, BatchLocked = 3 };

// Makes one clip's video without a window, through the window's own logic: the clip is selected
// as a click in the clip list does, the command line's options go over its stored ones
// (withCommandLine) and onto the form, and the make-video command runs with the compressor chosen
// up front. Prints the video's
// path on stdout; messages and progress go to stderr. language names the language file for this
// run (empty: the key "Language" of Halvane.ini). A per-user program folder is made first; one
// that cannot be made is reported and ends the job (BatchFailed).
int runBatchJob(int argc, char **argv, const ProgramFolder &where, const QString &language,
                const BatchOptions &options);

// Checks one clip without a window: one line per problem on stdout, then the summary at the speed
// and direction stored in its Clip.ini. BatchOk when nothing was found, BatchFailed otherwise.
// Reads only: a per-user program folder not made yet has no clips.
int runClipCheck(int argc, char **argv, const ProgramFolder &where, const QString &language,
                 const QString &clip);

// The progress line for frame i of n after elapsed seconds: a bar, then the pattern (the shown
// text lblBatchProgress) filled with the count, frames per second and the time left.
QString progressLine(const QString &pattern, int i, int n, double elapsedSeconds, int width = 30);

} // namespace tavelon
