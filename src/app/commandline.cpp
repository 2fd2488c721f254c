#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

#include "form/mainform.h"
#include "form/videoboxes.h"

namespace tavelon {

namespace {

// Where an option belongs: the modes, the options of --make-video, or the options of every mode.
enum class Group { Mode, MakeVideo, General };

// One row per option: the parser, the help text and the value checks are all made from this table,
// so a new option is one new row (and, for a batch option, one new BatchOptions field).
struct OptionRow
{
    QString name;      // without the leading "--"
    QString valueName; // empty: a switch
    QString help;
    Group group;
    // Stores the value (empty for a switch); false when the value is not acceptable.
    std::function<bool(CommandLine &, const QString &)> apply;
    // A size or rate box: a refused value is told with the range the box takes.
    std::optional<VideoBox> box = std::nullopt;
};

// Parses a whole decimal number within lo..hi.
std::optional<int> parseInt(const QString &text, int lo, int hi)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

OptionRow modeRow(const char *name, const char *valueName, const char *help, CommandLine::Mode mode)
{
    return {QLatin1String(name), QLatin1String(valueName), QLatin1String(help), Group::Mode,
            [mode](CommandLine &cl, const QString &) {
                cl.mode = mode;
                return true;
            }};
}

OptionRow switchRow(const char *name, const char *help, bool BatchOptions::*field)
{
    return {QLatin1String(name),
            {},
            QLatin1String(help),
            Group::MakeVideo,
            [field](CommandLine &cl, const QString &) {
                cl.batch.*field = true;
                return true;
            }};
}

OptionRow textRow(const char *name, const char *valueName, const char *help,
                  std::optional<QString> BatchOptions::*field)
{
    return {QLatin1String(name), QLatin1String(valueName), QLatin1String(help), Group::MakeVideo,
            [field](CommandLine &cl, const QString &value) {
                cl.batch.*field = value;
                return true;
            }};
}

// A box's text as typed, taken only when it is a positive number the box can hold: a refused size
// would otherwise fail the run only after Clip.ini was written, and stay there for the next run.
OptionRow boxRow(const char *name, const char *help, std::optional<QString> BatchOptions::*field,
                 VideoBox box)
{
    return {QLatin1String(name),
            QStringLiteral("N"),
            QString::fromLatin1(help).arg(videoBoxLimit(box)),
            Group::MakeVideo,
            [field, box](CommandLine &cl, const QString &value) {
                cl.batch.*field = value;
                return videoBoxValue(box, value).has_value();
            },
            box};
}

OptionRow intRow(const char *name, const char *valueName, const char *help,
                 std::optional<int> BatchOptions::*field, int lo, int hi)
{
    return {QLatin1String(name), QLatin1String(valueName), QLatin1String(help), Group::MakeVideo,
            [field, lo, hi](CommandLine &cl, const QString &value) {
                cl.batch.*field = parseInt(value, lo, hi);
                return (cl.batch.*field).has_value();
            }};
}

// Every option, in the order the help lists them. The make-video options are applied to the form in
// the order of BatchOptions, whatever order they are given in.
const std::vector<OptionRow> &optionTable()
{
    using Mode = CommandLine::Mode;
    static const std::vector<OptionRow> rows = {
        modeRow("list-clips", "", "clip names, one a line", Mode::ListClips),
        modeRow("list-compressors", "", "one compressor a line: id and description", Mode::ListCompressors),
        {QStringLiteral("make-video"), QStringLiteral("CLIP"),
         QStringLiteral("make the clip's video (the next argument is the clip, whatever it looks like)"),
         Group::Mode,
         [](CommandLine &cl, const QString &value) {
             cl.mode = Mode::MakeVideo;
             cl.batch.clip = value;
             return true;
         }},
        {QStringLiteral("check-clip"), QStringLiteral("CLIP"),
         QStringLiteral("one line per problem of the clip's frames, then a summary"), Group::Mode,
         [](CommandLine &cl, const QString &value) {
             cl.mode = Mode::CheckClip;
             cl.checkClip = value;
             return true;
         }},
        modeRow("help", "", "this text", Mode::Help),
        modeRow("version", "", "the version", Mode::Version),

        textRow("format", "NAME",
                "one of the nine preset names, e.g. \"DVD PAL\" or \"4K UHD 16:9\" (3840x2160)",
                &BatchOptions::format),
        boxRow("fps", "the frame rate, 1-%1, as typed into the frame-rate box (after --format)",
               &BatchOptions::fps, VideoBox::FrameRate),
        boxRow("width", "the width in pixels, 1-%1, as typed into the width box (after --format)",
               &BatchOptions::width, VideoBox::Width),
        boxRow("height", "the height in pixels, 1-%1, as typed into the height box (after --format)",
               &BatchOptions::height, VideoBox::Height),
        intRow("speed", "N", "the speed (frames per second), 1 up to the frame rate", &BatchOptions::speed,
               -32768, 32767),
        intRow("direction", "0|1|2", "forward, backward, forward and back", &BatchOptions::direction, 0, 2),
        switchRow("box", "a box behind the text", &BatchOptions::box),
        switchRow("border", "a border behind the text", &BatchOptions::border),
        textRow("text", "TEXT", "the overlay text", &BatchOptions::text),
        intRow("position", "0-3", "top left, top right, bottom left, bottom right", &BatchOptions::position,
               0, 3),
        intRow("size", "0-3", "small, medium, large, huge", &BatchOptions::size, 0, 3),
        {QStringLiteral("color"), QStringLiteral("0-6|8"),
         QStringLiteral("white, red, orange, yellow, green, cyan, blue | light grey"), Group::MakeVideo,
         [](CommandLine &cl, const QString &value) {
             cl.batch.color = parseInt(value, 0, 8);
             return cl.batch.color && *cl.batch.color != 7; // there is no swatch 7
         }},
        switchRow("overlay", "burn the text into every frame (off otherwise)", &BatchOptions::overlay),
        {QStringLiteral("container"), QStringLiteral("avi|mp4"),
         QStringLiteral("the file's container (default: the clip's, at first avi)"), Group::MakeVideo,
         [](CommandLine &cl, const QString &value) {
             cl.batch.container = containerFromName(value);
             return cl.batch.container.has_value();
         }},
        {QStringLiteral("fit"), QStringLiteral("stretch|pad|crop"),
         QStringLiteral("frames of another shape stretched, kept between black bars, or covering the video "
                        "with the overhang cut off (default: the clip's)"),
         Group::MakeVideo,
         [](CommandLine &cl, const QString &value) {
             cl.batch.fit = fitFromName(value);
             return cl.batch.fit.has_value();
         }},
        {QStringLiteral("deflicker"), QStringLiteral("N"),
         QStringLiteral("each frame's brightness evened out towards the mean of the N frames around it, "
                        "2-99; 0 is off (default: the clip's)"),
         Group::MakeVideo,
         [](CommandLine &cl, const QString &value) {
             cl.batch.deflicker = parseInt(value, 0, kMaxDeflickerWindow);
             return cl.batch.deflicker && *cl.batch.deflicker != 1;
         }},
        {QStringLiteral("audio"), QStringLiteral("FILE"),
         QStringLiteral("a local audio file as the soundtrack (AAC in MP4, MP3 in AVI), cut to the video's "
                        "length with a one-second fade-out; \"\" for none (default: the clip's)"),
         Group::MakeVideo,
         [](CommandLine &cl, const QString &value) {
             cl.batch.audio = value;
             return true;
         }},
        {QStringLiteral("compressor"), QStringLiteral("ID"),
         QStringLiteral("an id from --list-compressors (default: uncompressed; h264 for mp4; h265 and av1 "
                        "go into mp4 only)"),
         Group::MakeVideo,
         [](CommandLine &cl, const QString &value) {
             cl.batch.compressor = value;
             return !value.isEmpty();
         }},
        intRow("quality", "0-100", "the compressor's quality", &BatchOptions::quality, 0, 100),
        intRow("keyframes", "N", "a key frame every N frames", &BatchOptions::keyframes, 0, 100000),
        intRow("datarate", "KBPS", "the data rate", &BatchOptions::datarate, 0, 10000000),
        switchRow("overwrite", "replace an existing video (otherwise the next free name)",
                  &BatchOptions::overwrite),
        switchRow("beep", "play the finish sound", &BatchOptions::beep),

        {QStringLiteral("root"), QStringLiteral("DIR"),
         QStringLiteral("the program folder (default: the executable's folder; for an installed copy the "
                        "folder Brimholt Tavelon in the home folder)"),
         Group::General,
         [](CommandLine &cl, const QString &value) {
             cl.root = value;
             return !value.isEmpty();
         }},
        {QStringLiteral("language"), QStringLiteral("NAME"),
         QStringLiteral("the texts of Language/NAME3.lng for this run, e.g. English (in place of the key "
                        "Language of Halvane.ini)"),
         Group::General,
         [](CommandLine &cl, const QString &value) {
             cl.language = value;
             // A name, not a path: the file is looked for in the language folders only.
             return !value.isEmpty() && !value.contains(QLatin1Char('/')) && value != QLatin1String("..");
         }},
    };
    return rows;
}

QString dashed(const QString &name)
{
    return QStringLiteral("--") + name;
}

std::optional<CommandLine> fail(UsageError *error, ShownText text, const QStringList &values)
{
    if (error)
        *error = {text, values};
    return std::nullopt;
}

// What the parser refused: an unknown option, or else an option without its value (its error
// text names the option in quotes).
std::optional<CommandLine> parserFailure(const QCommandLineParser &parser, UsageError *error)
{
    if (!parser.unknownOptionNames().isEmpty())
        return fail(error, ShownText::CliUnknownOption, {dashed(parser.unknownOptionNames().first())});
    const QString text = parser.errorText();
    const qsizetype open = text.indexOf(u'\'');
    const QString option = text.mid(open + 1, text.indexOf(u'\'', open + 1) - open - 1);
    return fail(error, ShownText::CliMissingValue, {option});
}

} // namespace

QString usageText()
{
    // "or:" lines, as GNU programs write them: help2man makes one synopsis line of each.
    QString text = QStringLiteral("Usage: brimholt-tavelon [--root DIR] [--language NAME]\n"
                                  "  or:  brimholt-tavelon [--root DIR] --list-clips\n"
                                  "  or:  brimholt-tavelon --list-compressors\n"
                                  "  or:  brimholt-tavelon [--root DIR] --make-video CLIP [options]\n"
                                  "  or:  brimholt-tavelon [--root DIR] --check-clip CLIP\n"
                                  "Without a mode it opens the window.\n");
    const std::pair<Group, const char *> sections[] = {
        {Group::Mode, "Modes:"},
        {Group::MakeVideo,
         "Make-video options (applied in this order, as the matching window controls would be):"},
        {Group::General, "Other options:"},
    };
    constexpr int kHelpColumn = 32;
    for (const auto &[group, title] : sections) {
        text += QLatin1Char('\n') + QLatin1String(title) + QLatin1Char('\n');
        for (const OptionRow &row : optionTable()) {
            if (row.group != group)
                continue;
            QString left = QStringLiteral("  ") + dashed(row.name);
            if (!row.valueName.isEmpty())
                left += QLatin1Char(' ') + row.valueName;
            text += left.leftJustified(kHelpColumn - 1) + QLatin1Char(' ') + row.help + QLatin1Char('\n');
        }
    }
    text += QStringLiteral(
        "\nExit status: 0 success, 1 the video could not be made, the clip check found problems or the\n"
        "program folder could not be made, 2 usage error, 3 another copy is writing the same clip.\n");
    return text;
}

QString versionText()
{
    return QStringLiteral("brimholt-tavelon (Brimholt Tavelon) " TAVELON_VERSION "\n"
                          "Copyright (C) 2026 Brimholt\n"
                          "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n");
}

std::optional<CommandLine> parseCommandLine(const QStringList &args, UsageError *error)
{
    const std::vector<OptionRow> &rows = optionTable();
    QCommandLineParser parser;
    std::vector<QCommandLineOption> options;
    options.reserve(rows.size());
    for (const OptionRow &row : rows) {
        options.emplace_back(row.name, row.help, row.valueName);
        parser.addOption(options.back());
    }
    // The parser skips the first argument as the program's name. An option's value is the next
    // argument whatever it looks like, so a clip named "-x" is a clip.
    if (!parser.parse(QStringList{QStringLiteral("brimholt-tavelon")} + args))
        return parserFailure(parser, error);
    if (!parser.positionalArguments().isEmpty())
        return fail(error, ShownText::CliStrayArgument, {parser.positionalArguments().first()});

    CommandLine cl;
    QString modeOption;
    // Modes first: whether the make-video options are allowed depends on them.
    for (const Group pass : {Group::Mode, Group::MakeVideo, Group::General}) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const OptionRow &row = rows[i];
            if (row.group != pass || !parser.isSet(options[i]))
                continue;
            if (pass == Group::Mode && !modeOption.isEmpty() && modeOption != row.name)
                return fail(error, ShownText::CliModesCombined, {dashed(modeOption), dashed(row.name)});
            if (pass == Group::MakeVideo && cl.mode != CommandLine::Mode::MakeVideo)
                return fail(error, ShownText::CliNeedsMakeVideo, {dashed(row.name)});
            if (pass == Group::Mode)
                modeOption = row.name;
            const QStringList values =
                row.valueName.isEmpty() ? QStringList{QString()} : parser.values(options[i]);
            for (const QString &value : values) {
                if (row.apply(cl, value))
                    continue;
                if (row.box)
                    return fail(error, ShownText::CliNotPositive,
                                {value, dashed(row.name), QString::number(videoBoxLimit(*row.box))});
                return fail(error, ShownText::CliInvalidValue, {value, dashed(row.name)});
            }
        }
    }
    return cl;
}

CommandLine rootAndLanguage(const QStringList &args)
{
    CommandLine cl;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        for (auto [name, field] : {std::pair{QStringLiteral("--root"), &CommandLine::root},
                                   std::pair{QStringLiteral("--language"), &CommandLine::language}}) {
            if (arg == name && i + 1 < args.size())
                cl.*field = args.at(++i);
            else if (arg.startsWith(name + u'='))
                cl.*field = arg.mid(name.size() + 1);
        }
        // The clip after a mode option is a name, whatever it looks like.
        if (arg == u"--make-video" || arg == u"--check-clip")
            ++i;
    }
    return cl;
}

QString usageErrorLine(const MainForm &form, const UsageError &error)
{
    return QStringLiteral("brimholt-tavelon: ") + fillPlaceholders(shownText(form, error.text), error.values);
}

namespace {

void setOutput(VideoOutput &output, const BatchOptions &b)
{
    output.container = b.container.value_or(output.container);
    output.fit = b.fit.value_or(output.fit);
    output.deflicker = b.deflicker.value_or(output.deflicker);
    if (b.audio) {
        // A URL stays as it is: the soundtrack check refuses it.
        const bool relativeFile =
            !b.audio->isEmpty() && !b.audio->contains(QLatin1Char(':')) && QFileInfo(*b.audio).isRelative();
        output.audio = relativeFile ? QFileInfo(*b.audio).absoluteFilePath() : *b.audio;
    }
}

void setOverlay(ClipOverlay &overlay, const BatchOptions &b)
{
    if (b.box)
        overlay.setBox(true);
    if (b.border)
        overlay.setBorder(true);
    overlay.text = b.text.value_or(overlay.text);
    overlay.corner = b.position.value_or(overlay.corner);
    overlay.size = b.size.value_or(overlay.size);
    if (b.color)
        overlay.textColor = MainForm::textSwatchColor(*b.color).value_or(overlay.textColor);
    overlay.shown = overlay.shown || b.overlay;
}

} // namespace

ClipOptions withCommandLine(ClipOptions o, const BatchOptions &b)
{
    if (b.format) {
        if (const FormatPreset *row = formatPreset(*b.format)) {
            o.setFormat(*row);
            o.speed = limitedSpeed(o.speed, o.frameRate);
        }
    }
    o.frameRate = b.fps.value_or(o.frameRate);
    o.width = b.width.value_or(o.width);
    o.height = b.height.value_or(o.height);
    if (b.speed) {
        const int max = speedMaximum(o.frameRate).value_or(std::numeric_limits<qint16>::max());
        o.speed = std::clamp(*b.speed, 1, std::max(1, max));
    }
    if (b.direction)
        o.direction = directionFromCode(*b.direction);
    setOverlay(o.overlay, b);
    setOutput(o.output, b);
    return o;
}

} // namespace tavelon
