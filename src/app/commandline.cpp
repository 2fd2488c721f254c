#include "app/commandline.h"

namespace tavelon {

namespace {

// Parses a whole decimal number within lo..hi.
std::optional<int> parseInt(const QString &text, int lo, int hi)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  brimholt-tavelon [--root DIR]                    the window\n"
        "  brimholt-tavelon [--root DIR] --list-clips       clip names, one a line\n"
        "  brimholt-tavelon --list-compressors              one compressor a line: id and description\n"
        "  brimholt-tavelon [--root DIR] --make-video CLIP [options]\n"
        "\n"
        "Make-video options (applied in this order, as the matching window controls would be):\n"
        "  --format NAME                  one of the eight preset names, e.g. \"DVD PAL\"\n"
        "  --fps N --width N --height N   as typed into the three boxes (after --format)\n"
        "  --speed N                      the speed (frames per second), kept within the scroll bar's range\n"
        "  --direction 0|1|2              forward, backward, forward and back\n"
        "  --box  --border                a box, or a border, behind the text\n"
        "  --text TEXT                    the overlay text\n"
        "  --position 0-3                 top left, top right, bottom left, bottom right\n"
        "  --size 0-3                     small, medium, large, huge\n"
        "  --color 0-6|8                  white, red, orange, yellow, green, cyan, blue | light grey\n"
        "  --overlay                      burn the text into every frame (off otherwise)\n"
        "  --compressor ID                an id from --list-compressors (default: uncompressed)\n"
        "  --quality 0-100  --keyframes N  --datarate KBPS\n"
        "  --overwrite                    replace an existing video (otherwise the next free name)\n"
        "  --beep                         play the finish sound\n"
        "\n"
        "Other options:\n"
        "  --root DIR                     the program folder (default: the executable's folder)\n"
        "  --help                         this text\n"
        "  --version                      the version\n"
        "\n"
        "Exit status: 0 success, 1 the video could not be made, 2 usage error, 3 another copy runs on\n"
        "the same program folder.\n");
}

std::optional<CommandLine> parseCommandLine(const QStringList &args, QString *error)
{
    CommandLine cl;
    auto fail = [&](const QString &reason) -> std::optional<CommandLine> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    bool modeSet = false;
    auto setMode = [&](CommandLine::Mode m) {
        if (modeSet && cl.mode != m)
            return false;
        cl.mode = m;
        modeSet = true;
        return true;
    };

    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        bool missing = false;
        auto value = [&](QString *out) {
            if (i + 1 >= args.size()) {
                missing = true;
                return false;
            }
            *out = args.at(++i);
            return true;
        };
        QString v;
        auto intOption = [&](std::optional<int> &target, int lo, int hi) -> bool {
            if (!value(&v))
                return false;
            target = parseInt(v, lo, hi);
            return target.has_value();
        };
        auto textOption = [&](std::optional<QString> &target) -> bool {
            if (!value(&v))
                return false;
            target = v;
            return true;
        };
        const bool batchOption = a != QLatin1String("--root") && a != QLatin1String("--help") &&
                                 a != QLatin1String("--version") && a != QLatin1String("--list-clips") &&
                                 a != QLatin1String("--list-compressors") && a != QLatin1String("--make-video");
        if (batchOption && cl.mode != CommandLine::Mode::MakeVideo)
            return fail(QStringLiteral("unknown option '%1' (see --help)").arg(a));

        bool ok = true;
        BatchOptions &b = cl.batch;
        if (a == QLatin1String("--root")) {
            ok = value(&cl.root) && !cl.root.isEmpty();
        } else if (a == QLatin1String("--help")) {
            ok = setMode(CommandLine::Mode::Help);
        } else if (a == QLatin1String("--version")) {
            ok = setMode(CommandLine::Mode::Version);
        } else if (a == QLatin1String("--list-clips")) {
            ok = setMode(CommandLine::Mode::ListClips);
        } else if (a == QLatin1String("--list-compressors")) {
            ok = setMode(CommandLine::Mode::ListCompressors);
        } else if (a == QLatin1String("--make-video")) {
            // The next argument is the clip's name whatever it looks like (a clip may be "-x").
            ok = setMode(CommandLine::Mode::MakeVideo) && value(&b.clip);
        } else if (a == QLatin1String("--format")) {
            ok = textOption(b.format);
        } else if (a == QLatin1String("--fps")) {
            ok = textOption(b.fps);
        } else if (a == QLatin1String("--width")) {
            ok = textOption(b.width);
        } else if (a == QLatin1String("--height")) {
            ok = textOption(b.height);
        } else if (a == QLatin1String("--speed")) {
            ok = intOption(b.speed, -32768, 32767);
        } else if (a == QLatin1String("--direction")) {
            ok = intOption(b.direction, 0, 2);
        } else if (a == QLatin1String("--box")) {
            b.box = true;
        } else if (a == QLatin1String("--border")) {
            b.border = true;
        } else if (a == QLatin1String("--text")) {
            ok = textOption(b.text);
        } else if (a == QLatin1String("--position")) {
            ok = intOption(b.position, 0, 3);
        } else if (a == QLatin1String("--size")) {
            ok = intOption(b.size, 0, 3);
        } else if (a == QLatin1String("--color")) {
            ok = intOption(b.color, 0, 8) && *b.color != 7;
        } else if (a == QLatin1String("--overlay")) {
            b.overlay = true;
        } else if (a == QLatin1String("--compressor")) {
            ok = value(&b.compressor) && !b.compressor.isEmpty();
        } else if (a == QLatin1String("--quality")) {
            ok = intOption(b.quality, 0, 100);
        } else if (a == QLatin1String("--keyframes")) {
            ok = intOption(b.keyframes, 0, 100000);
        } else if (a == QLatin1String("--datarate")) {
            ok = intOption(b.datarate, 0, 10000000);
        } else if (a == QLatin1String("--overwrite")) {
            b.overwrite = true;
        } else if (a == QLatin1String("--beep")) {
            b.beep = true;
        } else {
            return fail(QStringLiteral("unknown option '%1' (see --help)").arg(a));
        }
        if (!ok) {
            if (missing)
                return fail(QStringLiteral("option '%1' needs a value").arg(a));
            if (args.at(i) == a)
                return fail(QStringLiteral("option '%1' cannot be combined with the options before it").arg(a));
            return fail(QStringLiteral("invalid value '%1' for option '%2'").arg(args.at(i), a));
        }
    }
    return cl;
}

} // namespace tavelon
