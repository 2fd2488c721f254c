#pragma once

#include <QObject>

#include <functional>

namespace tavelon {

class MainForm;

// The window's set-up (option lists, clip folder, clip list) and the selection of a clip, which
// loads its frame list, shows its first frame and restores the options stored in its Clip.ini.
class ClipList : public QObject
{
    Q_OBJECT
public:
    explicit ClipList(MainForm &form, QObject *parent = nullptr);

    void InitMyself();
    void List1_Click();

    // Reads the selected clip's frames into lvwFiles.
    void refreshFrameList();

    // Set by the wiring: the preview's frame display and the overlay's redraw steps.
    std::function<void()> slPre_Change;
    std::function<void()> RevertPicPre;
    std::function<void()> PrintCopyright;

private:
    MainForm &m_form;
};

} // namespace tavelon
