#pragma once

#include <QObject>

#include "image/frameloader.h"

namespace tavelon {

class MainForm;

// The preview: turns the slider position into a shown frame, and the four step buttons and the
// speed display. slPre_Change is the one place that loads a frame into sourceFrame.
class Preview : public QObject
{
    Q_OBJECT
public:
    explicit Preview(MainForm &form, QObject *parent = nullptr);

    void slPre_Change();
    void cmdFirst_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void scrlSpeed_Change();

    // Loads a frame file into img, reduced where it is at least twice cover (see FrameLoader);
    // false, img untouched, when it is missing or cannot be decoded. frameSize receives the
    // frame's own size.
    bool loadFrame(const QString &path, QImage &img, QSize cover, QSize &frameSize);

    // Shows a frame of a video being written, already at the preview picture's size.
    void showWrittenFrame(const QImage &frame);

    // Inner size of the preview picture plus three pixels each way: the frame always fills it.
    static QSize stretchSize();
    // What the shown frame is decoded to cover: the preview picture, or the device pixels of a
    // grown preview.
    QSize decodeCover() const;

signals:
    // A frame has been drawn into the preview picture, without overlay (the overlay draws on it).
    void frameShown();

private:
    MainForm &m_form;
    FrameLoader m_loader;
    // The frame loaded last; its picture shares the pixels handed out, so it costs no copy.
    struct LastLoaded
    {
        QString path;
        QSize cover;
        FileStamp stamp;
        QSize frameSize;
        QImage image;
    };
    LastLoaded m_last;
};

} // namespace tavelon
