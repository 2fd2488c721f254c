#pragma once

namespace tavelon {

class MainForm;

// Reads the frame files of the selected clip (ClipPath) into frameFiles, in the program's order.
void readFrameList(MainForm &form);

// The frame count under the frame list ("Frames: n"), from the slider's range.
void showFrameCount(MainForm &form);

} // namespace tavelon
