#include "clips/formatpresets.h"

#include "form/mainform.h"
#include "services/numbertext.h"

#include <cmath>

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

void applySpeedLimit(MainForm &form)
{
    const double fps = numberValueOf(form.frameRateBox.text());
    if (fps < form.speedBar.value())
        form.speedBar.setValue(8);
    const double max = roundHalfEven(fps);
    if (max >= -32768.0 && max <= 32767.0)
        form.speedBar.setMaximum(int(max));
}

FormatPresets::FormatPresets(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&form.formatBox, &ListControl::clicked, this, &FormatPresets::cboFormats_Click);
}

void FormatPresets::cboFormats_Click()
{
    const QString text = m_form.formatBox.text();
    for (const FormatPreset &row : formatPresets()) {
        if (row.name == text) {
            m_form.frameRateBox.setText(row.fps);
            m_form.widthBox.setText(row.width);
            m_form.heightBox.setText(row.height);
            break;
        }
    }
    applySpeedLimit(m_form);
}

} // namespace tavelon
