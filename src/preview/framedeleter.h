#pragma once

#include <QObject>

#include <functional>

namespace tavelon {

class MainForm;

// Deleting the shown frame after a confirmation; the frame list, slider and labels follow.
class FrameDeleter : public QObject
{
    Q_OBJECT
public:
    explicit FrameDeleter(MainForm &form, QObject *parent = nullptr);

    void cmdDelFrame_Click();

    // Moves the file to the desktop's trash where there is one, else deletes it. False when the
    // file stays (locked, read-only folder, already gone).
    static bool removeFrameFile(const QString &path);

    // Reads the selected clip's frame list into lvwFiles again (set by the clip subsystem).
    std::function<void()> refreshFrameList;

private:
    MainForm &m_form;
};

} // namespace tavelon
