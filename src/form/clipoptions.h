#pragma once

#include <QColor>
#include <QString>

#include <optional>

#include "form/formatpreset.h"
#include "form/playingdirection.h"
#include "form/videooutput.h"

namespace tavelon {

// The text box drawn into the preview and the video.
struct ClipOverlay
{
    bool shown = false;
    bool box = false;
    bool border = false;
    QString text = QStringLiteral("© BRIMHOLT");
    // List indexes of the corner and size lists: bottom right, medium.
    int corner = 3;
    int size = 1;
    QColor textColor = QColor(255, 255, 255);
    QColor boxColor = QColor(64, 64, 64);

    // Box and border exclude each other: ticking one clears the other.
    void setBox(bool on);
    void setBorder(bool on);

    friend bool operator==(const ClipOverlay &, const ClipOverlay &) = default;
};

// A clip's options as the window holds them: the format and the frame rate, width and height
// texts as typed, the speed and direction, the text box and the video file's kind. The defaults
// are the window's values at start.
struct ClipOptions
{
    QString format = QStringLiteral("Full-HD 16:9");
    QString frameRate = QStringLiteral("25");
    QString width = QStringLiteral("1920");
    QString height = QStringLiteral("1080");
    int speed = kStartingSpeed;
    PlayingDirection direction = PlayingDirection::Forward;
    ClipOverlay overlay;
    VideoOutput output;

    // The speed of a new clip, and the one a speed above the frame rate falls back to.
    static constexpr int kStartingSpeed = 8;

    // Takes a row of the format table: its name and its three texts.
    void setFormat(const FormatPreset &row);

    friend bool operator==(const ClipOptions &, const ClipOptions &) = default;
};

// The format a clip starts with, by its first frame's height: VCD PAL below 400 rows, DVD PAL
// from 400 rows.
const FormatPreset &startingFormat(int firstFrameHeight);

// The speed limit: a speed above the frame rate (as numberValueOf reads its text) falls back to
// the starting speed.
int limitedSpeed(int speed, const QString &frameRate);
// The frame rate as the speed's maximum: rounded half to even; nothing when it does not fit the
// speed bar's 16-bit range.
std::optional<int> speedMaximum(const QString &frameRate);

} // namespace tavelon
