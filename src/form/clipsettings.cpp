#include "form/clipsettings.h"

#include <QStringList>

#include "services/fileservices.h"
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

bool ClipSettings::writeFrom(const MainForm &form)
{
    const std::pair<Key, QString> values[] = {
        {ClipName, form.clipList.text()},
        {Format, form.formatBox.text()},
        {FrameRate, form.frameRateBox.text()},
        {Width, form.widthBox.text()},
        {Height, form.heightBox.text()},
        {Speed, QString::number(form.speedBar.value())},
        {Direction, QString::number(directionCode(form.state.PlayDirection))},
        {Copyright, QString::number(form.showOverlay.value())},
        {Text, form.overlayText.text()},
        {Border, QString::number(form.overlayBorder.value())},
        {Box, QString::number(form.overlayBox.value())},
        {Pos, QString::number(storedListIndex(form.overlayCorner.items(), form.overlayCorner.text()))},
        {Size, QString::number(storedListIndex(form.overlaySize.items(), form.overlaySize.text()))},
        {Container, containerName(form.output.container)},
        {Fit, fitName(form.output.fit)},
        {Deflicker, QString::number(form.output.deflicker)},
        {Audio, form.output.audio},
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

} // namespace tavelon
