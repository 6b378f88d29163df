#pragma once

// The skin files of the game window: res/<control name>.png for pictures and
// res/<control name>.bmp for button glyphs, found without regard to letter case.

#include <QHash>
#include <QImage>
#include <QString>

class SkinFolder
{
public:
    // Lists the folder once; a missing folder holds no file.
    explicit SkinFolder(const QString& folder);

    // The full path of the regular file whose name matches fileName without
    // regard to letter case, or an empty text.
    QString find(const QString& fileName) const;

    // The picture of the file matching fileName, decoded as format ("png",
    // "bmp"). Null when there is no such file, or when it cannot be decoded;
    // the latter is reported with one warning line naming the file.
    QImage load(const QString& fileName, const char* format) const;

    // The picture of the file at path, decoded as format and, when fitIn is
    // valid, at the largest size that fits in it with its aspect ratio kept.
    // Null when it cannot be decoded, with one warning line naming the file.
    // ownSize, when given, receives the file's own size.
    static QImage read(const QString& path, const char* format, const QSize& fitIn = QSize(),
                       QSize* ownSize = nullptr);

private:
    QString m_folder;
    QHash<QString, QString> m_files; // lower-case name → name on disk
};
