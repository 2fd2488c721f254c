#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace tavelon {

class MainForm;

// One row of the video format table: the name as listed, and the texts put into the boxes.
struct FormatPreset
{
    QString name;
    QString fps;
    QString width;
    QString height;
};

// The nine formats, in list order: the eight disc and HD sizes, then 4K.
const QList<FormatPreset> &formatPresets();

// Speed limit: a speed above the frame rate falls back to 8, and the frame rate becomes the
// speed scroll bar's maximum.
void applySpeedLimit(MainForm &form);

// The format list's handler: fills frame rate, width and height from the chosen row.
class FormatPresets : public QObject
{
    Q_OBJECT
public:
    explicit FormatPresets(MainForm &form, QObject *parent = nullptr);
    void cboFormats_Click();

private:
    MainForm &m_form;
};

} // namespace tavelon
