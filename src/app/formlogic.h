#pragma once

#include <QObject>

#include "clips/cliplinker.h"
#include "clips/cliplist.h"
#include "clips/clipstatus.h"
#include "clips/clipwatcher.h"
#include "clips/formatpresets.h"
#include "making/videocommand.h"
#include "making/videowriter.h"
#include "overlay/overlay.h"
#include "overlay/overlayoptions.h"
#include "preview/framedeleter.h"
#include "preview/player.h"
#include "preview/preview.h"

namespace tavelon {

class CompressionChooser;
class MainForm;
class MessageService;

// The program's object graph: every subsystem's handlers, constructed on the form's controls with
// the services the host supplies (messages and the compression choice: the window's dialogs, the
// batch mode's stderr lines and fixed options, or a test's scripted answers) and connected to each
// other. The one place the program is wired; the window shows the same form, the batch mode and the
// tests drive it directly.
class FormLogic : public QObject
{
    Q_OBJECT
public:
    FormLogic(MainForm &mainForm, MessageService &messages, CompressionChooser &chooser,
              QObject *parent = nullptr);

    // The window is closing: a playback stops, a video being written ends after its current
    // frame with the file closed properly.
    void shutdown();

    // The window's background work: each selected clip is checked on a thread of its own, and the
    // frames folder and the selected clip's folder are followed. The batch mode goes without.
    void startBackgroundWork();

    // The language chosen in the window: the texts change at once and the choice is stored in
    // Halvane.ini for the next start.
    void chooseLanguage(const QString &name);

    MainForm &form;
    Overlay overlay;
    OverlayOptions overlayOptions;
    Preview preview;
    Player player;
    FrameDeleter deleter;
    FormatPresets presets;
    ClipList clipList;
    VideoWriter writer;
    VideoCommand command;
    ClipStatus clipStatus;
    ClipWatcher watcher;
    ClipLinker linker;
};

} // namespace tavelon
