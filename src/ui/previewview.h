#pragma once

#include <QFrame>

namespace tavelon {

class Picture;

// The preview picture: shows the model's image at its natural size inside a 2-pixel sunken border,
// on the model's background colour, and repaints whenever the model reports an update.
class PreviewView : public QFrame
{
    Q_OBJECT
public:
    explicit PreviewView(const Picture &picture, QWidget *parent = nullptr);

    static constexpr int kBorder = 2;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Picture &m_picture;
};

} // namespace tavelon
