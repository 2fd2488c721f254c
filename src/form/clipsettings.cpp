#include "form/clipsettings.h"

#include <QStringList>

#include "services/fileservices.h"
#include "services/numbertext.h"
#include "form/mainform.h"
#include "form/videoboxes.h"
#include "form/videooutput.h"

namespace tavelon {

namespace {

const QString kSection = QStringLiteral("ClipSettings");

// The size or rate box a key stores.
std::optional<VideoBox> boxOfKey(ClipSettings::Key key)
{
    switch (key) {
    case ClipSettings::FrameRate:
        return VideoBox::FrameRate;
    case ClipSettings::Width:
        return VideoBox::Width;
    case ClipSettings::Height:
        return VideoBox::Height;
    default:
        return std::nullopt;
    }
}

} // namespace

ClipSettings::ClipSettings(const QString &clipPath)
    : m_document(pathIgnoringCase(clipPath, QStringLiteral("Clip.ini")))
{}

QString ClipSettings::keyName(Key key)
{
    static const char *const names[] = {"ClipName",  "Format",    "FrameRate", "Width",     "Height", "Speed",
                                        "Direction", "Copyright", "Text",      "Border",    "Box",    "Pos",
                                        "Size",      "Container", "Fit",       "Deflicker", "Audio"};
    return QString::fromLatin1(names[key]);
}

QString ClipSettings::read(Key key, const QString &defaultValue) const
{
    return m_document.value(kSection, keyName(key), defaultValue);
}

bool ClipSettings::write(Key key, const QString &value)
{
    return m_document.setValue(kSection, keyName(key), value);
}

int storedListIndex(const QStringList &items, const QString &text)
{
    int found = 0;
    for (int i = 0; i < items.size(); ++i) {
        if (items.at(i) == text)
            found = i;
    }
    return found;
}

ClipOptions ClipSettings::options(const ClipOptions &base) const
{
    ClipOptions o = base;
    const ClipOptions defaults;
    const auto number = [this](Key key, const QString &missing) {
        return integerValueOf(read(key, missing));
    };
    if (const QString format = read(Format, QString()); !format.isEmpty()) {
        // A stored format without its texts takes DVD PAL's.
        const FormatPreset &dvd = startingFormat(576);
        o.format = format;
        o.frameRate = read(FrameRate, dvd.fps);
        o.width = read(Width, dvd.width);
        o.height = read(Height, dvd.height);
    }
    o.speed = number(Speed, QString::number(defaults.speed)).value_or(o.speed);
    if (const auto direction = number(Direction, QString::number(directionCode(defaults.direction))))
        o.direction = directionFromCode(*direction);
    // The box first, then the border: a file with both ticked shows the border.
    const auto tick = [&](Key key, bool current) {
        const std::optional<int> v = number(key, QStringLiteral("0"));
        return v == 0 || v == 1 ? *v == 1 : current;
    };
    o.overlay.setBox(tick(Box, o.overlay.box));
    o.overlay.setBorder(tick(Border, o.overlay.border));
    o.overlay.text = read(Text, defaults.overlay.text);
    // An empty or missing position or size is the default one.
    const auto listIndex = [&](Key key, int missing, int current) {
        const QString text = read(key, QString());
        return text.isEmpty() ? missing : integerValueOf(text).value_or(current);
    };
    o.overlay.corner = listIndex(Pos, defaults.overlay.corner, o.overlay.corner);
    o.overlay.size = listIndex(Size, defaults.overlay.size, o.overlay.size);
    // A file from before these keys (or with an unknown value) means the classic AVI, stretched.
    o.output.container = containerFromName(read(Container, QString())).value_or(Container::Avi);
    o.output.fit = fitFromName(read(Fit, QString())).value_or(Fit::Stretch);
    const int deflicker = number(Deflicker, QString()).value_or(0);
    o.output.deflicker = deflicker >= 2 && deflicker <= kMaxDeflickerWindow ? deflicker : 0;
    // Checked when a video is made: a clip folder may come from someone else.
    o.output.audio = read(Audio, QString());
    return o;
}

bool ClipSettings::write(const ClipOptions &options, const QString &clipName)
{
    const ClipOverlay &overlay = options.overlay;
    const std::pair<Key, QString> values[] = {
        {ClipName, clipName},
        {Format, options.format},
        {FrameRate, options.frameRate},
        {Width, options.width},
        {Height, options.height},
        {Speed, QString::number(options.speed)},
        {Direction, QString::number(directionCode(options.direction))},
        {Copyright, QString::number(int(overlay.shown))},
        {Text, overlay.text},
        {Border, QString::number(int(overlay.border))},
        {Box, QString::number(int(overlay.box))},
        {Pos, QString::number(overlay.corner)},
        {Size, QString::number(overlay.size)},
        {Container, containerName(options.output.container)},
        {Fit, fitName(options.output.fit)},
        {Deflicker, QString::number(options.output.deflicker)},
        {Audio, options.output.audio},
    };
    bool ok = true;
    for (const auto &[key, value] : values) {
        // A size or rate box that does not hold a positive number is not stored: the clip keeps
        // what it had, and its next run does not inherit a slip of the keyboard.
        if (const std::optional<VideoBox> box = boxOfKey(key); box && !videoBoxValue(*box, value))
            continue;
        ok = write(key, value) && ok;
    }
    return save() && ok;
}

bool ClipSettings::writeFrom(const MainForm &form)
{
    return write(form.options(), form.clipList.text());
}

} // namespace tavelon
