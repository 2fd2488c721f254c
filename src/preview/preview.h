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
    // Starts reading frame index's file on another thread, for a loadFrame() that follows.
    void prefetch(int index);

    // Inner size of the preview picture plus three pixels each way: the frame always fills it.
    static QSize stretchSize();

private:
    MainForm &m_form;
    std::unique_ptr<FrameLoader> m_loader;
    QString m_prefetchPath;
    std::future<std::optional<FrameFile>> m_prefetch;
};

} // namespace tavelon
