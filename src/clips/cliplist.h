#pragma once

#include <QObject>

namespace tavelon {

class MainForm;
class Overlay;
class Preview;

// The window's set-up (option lists, clip folder, clip list) and the selection of a clip, which
// loads its frame list, shows its first frame and restores the options stored in its Clip.ini.
class ClipList : public QObject
{
    Q_OBJECT
public:
    // Selecting a clip shows its first frame through preview and redraws the overlay.
    ClipList(MainForm &form, Preview &preview, Overlay &overlay, QObject *parent = nullptr);

    void InitMyself();
    // Shows the form in the language name at once (switchLanguage()); the lists filled from the
    // language's texts are filled again, each keeping the entry chosen in it.
    void changeLanguage(const QString &name);
    void List1_Click();

signals:
    // A clip has been selected and loaded (List1_Click has run).
    void clipSelected();

private:
    MainForm &m_form;
    Preview &m_preview;
    Overlay &m_overlay;
};

} // namespace tavelon
