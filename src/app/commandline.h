#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "form/clipoptions.h"
#include "form/showntexts.h"
#include "form/videooutput.h"

namespace tavelon {

// What the batch mode sets before it makes the video: the clip, the options that go over its stored
// ones (see withCommandLine) and the compressor's settings.
struct BatchOptions
{
    QString clip;
    std::optional<QString> format;
    std::optional<QString> fps;
    std::optional<QString> width;
    std::optional<QString> height;
    std::optional<int> speed;
    std::optional<int> direction;
    bool box = false;
    bool border = false;
    std::optional<QString> text;
    std::optional<int> position;
    std::optional<int> size;
    std::optional<int> color;
    bool overlay = false;
    std::optional<Container> container; // the clip's stored one when not given
    std::optional<Fit> fit;             // the clip's stored one when not given
    std::optional<int> deflicker;       // the clip's stored one when not given; 0: off
    std::optional<QString> audio;       // the clip's stored one when not given; empty: none
    std::optional<QString> compressor;  // not given: uncompressed, or h264 for MP4
    std::optional<int> quality;
    std::optional<int> keyframes;
    std::optional<int> datarate;
    bool overwrite = false;
    bool beep = false;
};

struct CommandLine
{
    enum class Mode { Window, ListClips, ListCompressors, MakeVideo, CheckClip, Help, Version };
    Mode mode = Mode::Window;
    QString root;     // empty: the executable's folder, or the per-user folder of an installed copy
    QString language; // empty: the key "Language" of Halvane.ini
    BatchOptions batch;
    QString checkClip; // the clip --check-clip names
};

// A usage error: the message (a text of the language table) and the values for its %1, %2 ….
struct UsageError
{
    ShownText text = ShownText::CliUnknownOption;
    QStringList values;
};

// Parses the arguments after the program name. On a usage error returns nullopt and sets error.
std::optional<CommandLine> parseCommandLine(const QStringList &args, UsageError *error);

// The clip's options with those the command line gives over them, as changing the controls in
// the window would set them: --format fills the rate and size texts and limits the speed by the
// new rate before --fps, --width and --height override them; --speed is kept within 1 and the
// final frame rate; --border clears --box. A relative --audio path names a file from the current
// folder.
ClipOptions withCommandLine(ClipOptions options, const BatchOptions &batch);

// The values of --root and --language among args, read without checking anything else, so that
// a usage error can be told in the language the command line asks for.
CommandLine rootAndLanguage(const QStringList &args);

// The one line a usage error prints on stderr, in the form's language: "brimholt-tavelon: " and
// the message.
QString usageErrorLine(const MainForm &form, const UsageError &error);

// The text --help prints.
QString usageText();

// The text --version prints: the program, the package and the version, then the copyright and the
// licence, as GNU programs print them (and help2man reads).
QString versionText();

} // namespace tavelon
