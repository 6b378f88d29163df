#include "game/timage.h"

#include "game/skinfolder.h"

#include <QMouseEvent>
#include <QPixmap>

TImage::TImage(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

bool TImage::setPictureFile(const QString& path, const char* format)
{
    m_path = path;
    m_format = format;
    m_scaledFor = QSize();
    if (updateScaledPixmap())
        return true;
    m_path.clear();
    m_pictureSize = QSize();
    clear();
    return false;
}

bool TImage::updateScaledPixmap()
{
    if (m_path.isEmpty())
        return false;
    const qreal ratio = devicePixelRatioF();
    if (m_scaledFor == size() && qFuzzyCompare(m_scaledRatio, ratio))
        return true;
    const QImage scaled =
        SkinFolder::read(m_path, m_format.constData(), size() * ratio, &m_pictureSize);
    if (scaled.isNull())
        return false;
    m_scaledFor = size();
    m_scaledRatio = ratio;
    QPixmap pixmap = QPixmap::fromImage(scaled);
    pixmap.setDevicePixelRatio(ratio);
    setPixmap(pixmap);
    return true;
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
