#include "clips/formatpresets.h"

#include "form/mainform.h"

namespace tavelon {

FormatPresets::FormatPresets(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    connect(&form.formatBox, &ListControl::clicked, this, &FormatPresets::cboFormats_Click);
}

void FormatPresets::cboFormats_Click()
{
    if (const FormatPreset *row = formatPreset(m_form.formatBox.text())) {
        m_form.frameRateBox.setText(row->fps);
        m_form.widthBox.setText(row->width);
        m_form.heightBox.setText(row->height);
    }
    m_form.applySpeedLimit();
}

} // namespace tavelon
