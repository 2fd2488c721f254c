#include "clips/clipwatcher.h"

#include <QFileInfo>

#include <algorithm>

#include "form/mainform.h"
#include "preview/framelist.h"
#include "services/clipscan.h"

namespace tavelon {

ClipWatcher::ClipWatcher(MainForm &form, QObject *parent) : QObject(parent), m_form(form)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kDefaultSettleMs);
    // Every change restarts the delay: a burst of writes is read once, after it has ended.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, &ClipWatcher::apply);
}

void ClipWatcher::watch()
{
    QStringList wanted;
    for (const QString &folder : {m_form.state.FramesPath, m_form.state.ClipPath}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            wanted.append(QFileInfo(folder).absoluteFilePath());
    }
    QStringList stale = m_watcher.directories();
    stale.removeIf([&](const QString &d) { return wanted.contains(d); });
    if (!stale.isEmpty())
        m_watcher.removePaths(stale);
    wanted.removeIf([&](const QString &d) { return m_watcher.directories().contains(d); });
    if (!wanted.isEmpty())
        m_watcher.addPaths(wanted);
}

void ClipWatcher::apply()
{
    if (m_form.state.MakingVideo) {
        m_pending = true;
        return;
    }
    m_pending = false;
    updateClipList();
    updateFrameList();
    // A clip folder that was removed and made again, or the frames folder made anew, is watched
    // again.
    watch();
}

void ClipWatcher::applyPending()
{
    if (m_pending)
        apply();
}

void ClipWatcher::updateClipList()
{
    MainForm &f = m_form;
    const QStringList clips = listClips(f.state.FramesPath);
    if (clips == f.clipList.items())
        return;
    QStringList entries;
    for (const QString &clip : clips)
        entries.append(f.state.FramesPath + clip);
    f.clipFolders.setItems(entries);
    // The selection stays on its clip's name; a clip that went away leaves no entry selected.
    f.clipList.setItems(clips);
    emit clipsChanged();
}

void ClipWatcher::updateFrameList()
{
    MainForm &f = m_form;
    const QStringList frames = listFrames(f.state.ClipPath);
    if (frames == f.frameFiles.items())
        return;
    const int shown = f.frameSlider.value();
    const QString shownName = f.frameFiles.item(shown);
    f.frameFiles.setItems(frames);
    // The frame shown keeps its place on the screen; when it went away, its neighbour is shown.
    const int last = int(frames.size()) - 1;
    int target = int(frames.indexOf(shownName));
    if (target < 0)
        target = std::min(shown, last);
    const int before = f.frameSlider.value();
    if (target > f.frameSlider.maximum()) {
        f.frameSlider.setMaximum(last);
        f.frameSlider.setValue(target);
    } else {
        if (target >= 0)
            f.frameSlider.setValue(target);
        f.frameSlider.setMaximum(last);
    }
    // Another file at the same place: the slider did not move, so the frame is loaded here.
    if (f.frameSlider.value() == before && target >= 0 && frames.at(target) != shownName)
        emit f.frameSlider.changed();
    showFrameCount(f);
    emit framesChanged();
}

} // namespace tavelon
