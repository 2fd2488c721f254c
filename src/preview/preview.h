#pragma once

#include <QObject>

#include <functional>
#include <future>
#include <memory>
#include <optional>

#include "preview/frameloader.h"

namespace tavelon {

class MainForm;

// The preview: turns the slider position into a shown frame, and the four step buttons and the
// speed display. slPre_Change is the one place that loads a frame into picTemp.
class Preview : public QObject
{
    Q_OBJECT
public:
    explicit Preview(MainForm &form, QObject *parent = nullptr);
    ~Preview() override;

    void slPre_Change();
    void cmdFirst_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void scrlSpeed_Change();

    // Draws the overlay on the freshly shown frame (set by the overlay subsystem).
    std::function<void()> printCopyright;

    // Loads a frame file into img; false (img untouched) when it is missing or cannot be decoded.
    // A file read ahead is used only when it is unchanged at its turn.
    bool loadFrame(const QString &path, QImage &img);
    // Starts reading and decoding frame index's file on another thread, for a loadFrame() that
    // follows (the video writer reads the next frame while it composes the current one).
    void prefetch(int index);

    // Inner size of the preview picture plus three pixels each way: the frame always fills it.
    static QSize stretchSize();

private:
    MainForm &m_form;
    std::unique_ptr<FrameLoader> m_loader;
    struct Prefetched
    {
        std::optional<FrameFile> file;
        QImage image;
        bool decoded = false;
    };
    void waitForPrefetch();
    // The read-ahead thread's own decoder (a loader serves one thread at a time) and a picture
    // buffer handed back and forth, so frames of one size allocate nothing.
    std::unique_ptr<FrameLoader> m_prefetchLoader;
    QImage m_recycled;
    QString m_prefetchPath;
    std::future<Prefetched> m_prefetch;
};

} // namespace tavelon
