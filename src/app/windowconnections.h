#pragma once

namespace tavelon {

class FormLogic;
class MainWindow;

// Connects the window to the program's logic: closing the window stops a playback and ends a video
// being written with its file closed properly; while the writer runs the window stays above all
// others, shows the busy pointer and the frame count; a finished video plays the finish sound.
void connectWindow(MainWindow &window, FormLogic &logic);

} // namespace tavelon
