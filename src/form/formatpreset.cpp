#include "form/formatpreset.h"

namespace tavelon {

const QList<FormatPreset> &formatPresets()
{
    static const QList<FormatPreset> table = {
        {QStringLiteral("VCD PAL"), QStringLiteral("25"), QStringLiteral("352"), QStringLiteral("288")},
        {QStringLiteral("VCD NTSC"), QStringLiteral("30"), QStringLiteral("352"), QStringLiteral("240")},
        {QStringLiteral("SVCD PAL"), QStringLiteral("25"), QStringLiteral("480"), QStringLiteral("576")},
        {QStringLiteral("SVCD NTSC"), QStringLiteral("30"), QStringLiteral("480"), QStringLiteral("480")},
        {QStringLiteral("DVD PAL"), QStringLiteral("25"), QStringLiteral("720"), QStringLiteral("576")},
        {QStringLiteral("DVD NTSC"), QStringLiteral("30"), QStringLiteral("720"), QStringLiteral("480")},
        {QStringLiteral("HD 16:9"), QStringLiteral("25"), QStringLiteral("1280"), QStringLiteral("720")},
        {QStringLiteral("Full-HD 16:9"), QStringLiteral("25"), QStringLiteral("1920"),
         QStringLiteral("1080")},
        // After the classic eight, so that list positions of older set-ups stay as they were.
        {QStringLiteral("4K UHD 16:9"), QStringLiteral("25"), QStringLiteral("3840"), QStringLiteral("2160")},
    };
    return table;
}

const FormatPreset *formatPreset(const QString &name)
{
    for (const FormatPreset &row : formatPresets()) {
        if (row.name == name)
            return &row;
    }
    return nullptr;
}

} // namespace tavelon
