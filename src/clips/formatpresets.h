#pragma once

#include <QObject>

#include "form/formatpreset.h"

namespace tavelon {

class MainForm;

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
