#pragma once

// A picture control: shows the picture of a file stretched to fit, aspect
// ratio kept, centred, and crisp on high-density screens. The file is decoded
// once at the size it is shown at (again only when that size or the screen's
// density changes), so only that is kept. Without a picture it is an empty
// area. Emits clicked() on a left click.

#include <QByteArray>
#include <QLabel>
#include <QSize>
#include <QString>

class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    // Shows the picture of the file at path, decoded as format. False, and
    // no picture, when it cannot be decoded (with a warning naming the file).
    bool setPictureFile(const QString& path, const char* format);
    // The picture's own size, as in its file; empty without a picture.
    QSize pictureSize() const { return m_pictureSize; }

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // False when the file could not be decoded.
    bool updateScaledPixmap();

    QString m_path;
    QByteArray m_format;
    QSize m_pictureSize;
    QSize m_scaledFor;
    qreal m_scaledRatio = 0;
    bool m_pressed = false;
};
