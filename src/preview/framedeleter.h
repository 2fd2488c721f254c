#pragma once

#include <QObject>

namespace tavelon {

class MainForm;
class MessageService;

// Deleting the shown frame after a confirmation; the frame list, slider and labels follow.
class FrameDeleter : public QObject
{
    Q_OBJECT
public:
    FrameDeleter(MainForm &form, MessageService &messages, QObject *parent = nullptr);

    void cmdDelFrame_Click();

    // Moves the file to the desktop's trash where there is one, else deletes it. False when the
    // file stays (locked, read-only folder, already gone).
    static bool removeFrameFile(const QString &path);

private:
    MainForm &m_form;
    MessageService &m_messages;
};

} // namespace tavelon
