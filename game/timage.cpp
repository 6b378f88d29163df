#include "game/timage.h"

#include <QMouseEvent>
#include <QPixmap>

TImage::TImage(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void TImage::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_scaledFor = QSize();
    updateScaledPixmap();
}

void TImage::updateScaledPixmap()
{
    if (m_picture.isNull()) {
        clear();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (m_scaledFor == size() && qFuzzyCompare(m_scaledRatio, ratio))
        return;
    m_scaledFor = size();
    m_scaledRatio = ratio;
    QPixmap scaled = QPixmap::fromImage(
        m_picture.scaled(size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    scaled.setDevicePixelRatio(ratio);
    setPixmap(scaled);
}

void TImage::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateScaledPixmap();
}

void TImage::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // A move to a screen of another density.
    if (event->type() == QEvent::ScreenChangeInternal)
        updateScaledPixmap();
}

void TImage::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    updateScaledPixmap();
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}
