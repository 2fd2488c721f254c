#pragma once

#include <QObject>

#include "clips/cliplist.h"
#include "clips/formatpresets.h"
#include "making/videocommand.h"
#include "overlay/overlay.h"
#include "overlay/overlayoptions.h"
#include "preview/framedeleter.h"
#include "preview/player.h"
#include "preview/preview.h"

namespace tavelon {

class MainForm;

// The main window's routines: every subsystem's handlers, constructed on the form's controls and
// connected to each other. The window shows the same form; the batch mode drives it directly.
class FormLogic : public QObject
{
    Q_OBJECT
public:
    explicit FormLogic(MainForm &form, QObject *parent = nullptr);

    // The window is closing: a playback stops, a video being written ends after its current
    // frame with the file closed properly.
    void shutdown();

    MainForm &form;
    Overlay overlay;
    OverlayOptions overlayOptions;
    Preview preview;
    Player player;
    FrameDeleter deleter;
    FormatPresets presets;
    ClipList clipList;
    VideoCommand command;
};

} // namespace tavelon
