#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace tavelon {

class MainForm;

// Follows the frames folder and the selected clip's folder while another program captures into
// them: new, removed and renamed clips appear in the clip list, frames added or removed appear in
// the frame list and count, and neither the selected clip nor the frame shown changes. Changes are
// applied a settle delay after the last one, so a frame being written is complete when it is read,
// and never while a video is written: those wait until the video is done (applyPending()).
class ClipWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultSettleMs = 500;

    explicit ClipWatcher(MainForm &form, QObject *parent = nullptr);

    // Watches the frames folder and the selected clip's folder (again after a selection).
    void watch();
    void setSettleDelay(int ms) { m_settle.setInterval(ms); }

    // Brings both lists up to date now, or marks them as due while a video is written.
    void apply();
    // Applies what arrived while a video was written.
    void applyPending();

signals:
    // The selected clip's frame list changed.
    void framesChanged();
    // The clip list changed.
    void clipsChanged();

private:
    void updateClipList();
    void updateFrameList();

    MainForm &m_form;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    bool m_pending = false;
};

} // namespace tavelon
