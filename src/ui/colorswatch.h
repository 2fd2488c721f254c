#pragma once

#include <QColor>
#include <QWidget>

namespace tavelon {

// A small clickable field filled with one colour (the overlay's colour choice).
class ColorSwatch : public QWidget
{
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

signals:
    // A left click released over the swatch.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_color = Qt::black;
    bool m_pressed = false;
};

} // namespace tavelon
