#pragma once

// A picture control: shows its picture stretched to fit, aspect ratio kept,
// centred, and crisp on high-density screens. Without a picture it is an empty
// area. Emits clicked() on a left click.

#include <QImage>
#include <QLabel>

class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateScaledPixmap();

    QImage m_picture;
    QSize m_scaledFor;
    qreal m_scaledRatio = 0;
    bool m_pressed = false;
};
