#pragma once

#include <QString>

namespace tavelon {

struct BatchOptions;

// Exit codes of the batch mode.
enum BatchExit { BatchOk = 0, BatchFailed = 1, BatchUsage = 2, BatchLocked = 3 };

// Makes one clip's video without a window, through the window's own logic: the clip is selected
// as a click in the clip list does, the options are applied as the matching control changes
// would, and the make-video command runs with the compressor chosen up front. Prints the video's
// path on stdout; messages and progress go to stderr.
int runBatchJob(int argc, char **argv, const QString &programFolder, const BatchOptions &options);

// Checks one clip without a window: one line per problem on stdout, then the summary at the speed
// and direction stored in its Clip.ini. BatchOk when nothing was found, BatchFailed otherwise.
int runClipCheck(int argc, char **argv, const QString &programFolder, const QString &clip);

// The progress line for frame i of n after elapsed seconds: a bar, then the pattern (the shown
// text lblBatchProgress) filled with the count, frames per second and the time left.
QString progressLine(const QString &pattern, int i, int n, double elapsedSeconds, int width = 30);

} // namespace tavelon
