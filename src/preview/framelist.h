#pragma once

namespace tavelon {

class MainForm;

// Reads the frame files of the selected clip (ClipPath) into lvwFiles, in the program's order.
void readFrameList(MainForm &form);

} // namespace tavelon
