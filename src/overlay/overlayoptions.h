#pragma once

#include <QObject>

namespace tavelon {

class MainForm;
class Overlay;

// The events of the overlay option controls (frame "Einblendung"). Connects itself to the form's
// models on construction. To redraw is to restore the clean preview and draw the overlay on it;
// every redraw raises redrawn().
class OverlayOptions : public QObject
{
    Q_OBJECT
public:
    OverlayOptions(MainForm &form, Overlay &overlay, QObject *parent = nullptr);

    void Check1_Click();
    void Text1_Change();
    void cboPosition_Click();
    void cboSize_Click();
    void picColor_Click(int index);
    void picFramCol_Click(int index);
    void Check2_Click();
    void Check3_Click();
    // The preview shows a new frame: the overlay is drawn on it when switched on.
    void previewFrameShown();

signals:
    void redrawn();

private:
    void setCaptions();
    void redrawIfOn();

    MainForm &m_form;
    Overlay &m_overlay;
};

} // namespace tavelon
