#include "overlay/overlayoptions.h"

#include "form/mainform.h"
#include "overlay/overlay.h"

namespace tavelon {

OverlayOptions::OverlayOptions(MainForm &form, Overlay &overlay, QObject *parent)
    : QObject(parent), m_form(form), m_overlay(overlay)
{
    connect(&form.Check1, &CheckBox::clicked, this, &OverlayOptions::Check1_Click);
    connect(&form.Text1, &TextBox::changed, this, &OverlayOptions::Text1_Change);
    connect(&form.cboPosition, &ListControl::clicked, this, &OverlayOptions::cboPosition_Click);
    connect(&form.cboSize, &ListControl::clicked, this, &OverlayOptions::cboSize_Click);
    connect(&form.Check2, &CheckBox::clicked, this, &OverlayOptions::Check2_Click);
    connect(&form.Check3, &CheckBox::clicked, this, &OverlayOptions::Check3_Click);
    for (int i : MainForm::picColorIndexes()) {
        if (Picture *swatch = form.picColor(i))
            connect(swatch, &Picture::clicked, this, [this, i] { picColor_Click(i); });
    }
    for (int i : {2, 3}) {
        if (Picture *swatch = form.picFramCol(i))
            connect(swatch, &Picture::clicked, this, [this, i] { picFramCol_Click(i); });
    }
    // The measuring labels start with the current text, so the first drawing measures it.
    setCaptions();
}

void OverlayOptions::Check1_Click()
{
    // Switching on draws on the clean preview as it is; switching off restores it.
    if (m_form.Check1.value() == 1)
        m_overlay.PrintCopyright();
    else
        m_overlay.RevertPicPre();
}

void OverlayOptions::Text1_Change()
{
    setCaptions();
    redrawIfOn();
}

void OverlayOptions::previewFrameShown()
{
    if (m_form.Check1.value() == 1)
        m_overlay.PrintCopyright();
}

void OverlayOptions::cboPosition_Click()
{
    redrawIfOn();
}

void OverlayOptions::cboSize_Click()
{
    redrawIfOn();
}

void OverlayOptions::picColor_Click(int index)
{
    if (const Picture *swatch = m_form.picColor(index))
        m_form.Label2.setForeColor(swatch->backColor());
    redrawIfOn();
}

void OverlayOptions::picFramCol_Click(int index)
{
    if (const Picture *swatch = m_form.picFramCol(index))
        m_form.Label3.setBackColor(swatch->backColor());
    if (m_form.Check2.value() == 1)
        redrawIfOn();
}

// Box and border exclude each other: ticking one clears the other, whose own click event then
// redraws once more.
void OverlayOptions::Check2_Click()
{
    redrawIfOn();
    if (m_form.Check2.value() == 1)
        m_form.Check3.setValue(0);
}

void OverlayOptions::Check3_Click()
{
    redrawIfOn();
    if (m_form.Check3.value() == 1)
        m_form.Check2.setValue(0);
}

void OverlayOptions::setCaptions()
{
    const QString caption = QLatin1Char(' ') + m_form.Text1.text() + QLatin1Char(' ');
    m_form.Label2.setCaption(caption);
    m_form.Label3.setCaption(caption);
}

void OverlayOptions::redrawIfOn()
{
    if (m_form.Check1.value() != 1)
        return;
    m_overlay.RevertPicPre();
    m_overlay.PrintCopyright();
    emit redrawn();
}

} // namespace tavelon
