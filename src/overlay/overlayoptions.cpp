#include "overlay/overlayoptions.h"

#include "form/mainform.h"
#include "overlay/overlay.h"
#include "overlay/videooverlay.h"

namespace tavelon {

OverlayOptions::OverlayOptions(MainForm &form, Overlay &overlay, QObject *parent)
    : QObject(parent), m_form(form), m_overlay(overlay)
{
    connect(&form.showOverlay, &CheckBox::clicked, this, &OverlayOptions::Check1_Click);
    connect(&form.overlayText, &TextBox::changed, this, &OverlayOptions::Text1_Change);
    connect(&form.overlayCorner, &ListControl::clicked, this, &OverlayOptions::cboPosition_Click);
    connect(&form.overlaySize, &ListControl::clicked, this, &OverlayOptions::cboSize_Click);
    connect(&form.overlayBox, &CheckBox::clicked, this, &OverlayOptions::Check2_Click);
    connect(&form.overlayBorder, &CheckBox::clicked, this, &OverlayOptions::Check3_Click);
    for (int i : MainForm::textColorSwatchIndexes()) {
        if (Picture *swatch = form.textColorSwatch(i))
            connect(swatch, &Picture::clicked, this, [this, i] { picColor_Click(i); });
    }
    for (int i : {2, 3}) {
        if (Picture *swatch = form.boxColorSwatch(i))
            connect(swatch, &Picture::clicked, this, [this, i] { picFramCol_Click(i); });
    }
    // The measuring labels start with the current text, so the first drawing measures it.
    setCaptions();
}

void OverlayOptions::Check1_Click()
{
    // Switching on draws on the clean preview as it is; switching off restores it.
    if (m_form.showOverlay.value() == 1)
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
    if (m_form.showOverlay.value() == 1)
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
    if (const Picture *swatch = m_form.textColorSwatch(index))
        m_form.previewTextLabel.setForeColor(swatch->backColor());
    redrawIfOn();
}

void OverlayOptions::picFramCol_Click(int index)
{
    if (const Picture *swatch = m_form.boxColorSwatch(index))
        m_form.videoTextLabel.setBackColor(swatch->backColor());
    if (m_form.overlayBox.value() == 1)
        redrawIfOn();
}

// Box and border exclude each other: ticking one clears the other, whose own click event then
// redraws once more.
void OverlayOptions::Check2_Click()
{
    redrawIfOn();
    if (m_form.overlayBox.value() == 1)
        m_form.overlayBorder.setValue(0);
}

void OverlayOptions::Check3_Click()
{
    redrawIfOn();
    if (m_form.overlayBorder.value() == 1)
        m_form.overlayBox.setValue(0);
}

void OverlayOptions::setCaptions()
{
    const QString caption = paddedOverlayText(m_form.overlayText.text());
    m_form.previewTextLabel.setCaption(caption);
    m_form.videoTextLabel.setCaption(caption);
}

void OverlayOptions::redrawIfOn()
{
    if (m_form.showOverlay.value() != 1)
        return;
    m_overlay.RevertPicPre();
    m_overlay.PrintCopyright();
    emit redrawn();
}

} // namespace tavelon
