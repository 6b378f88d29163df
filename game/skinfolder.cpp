#include "game/skinfolder.h"

#include "skin/skinimage.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QtDebug>

SkinFolder::SkinFolder(const QString& folder) : m_folder(folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        m_files.insert(name.toLower(), name);
}

QString SkinFolder::find(const QString& fileName) const
{
    const auto found = m_files.constFind(fileName.toLower());
    if (found == m_files.constEnd())
        return {};
    const QString path = QDir(m_folder).filePath(found.value());
    return QFileInfo(path).isFile() ? path : QString();
}

QImage SkinFolder::load(const QString& fileName, const char* format) const
{
    const QString path = find(fileName);
    return path.isEmpty() ? QImage() : read(path, format);
}

QImage SkinFolder::read(const QString& path, const char* format, const QSize& fitIn, QSize* ownSize)
{
    QString error;
    const QImage image = readSkinImage(path, format, fitIn, ownSize, &error);
    if (image.isNull())
        qWarning().noquote() << QStringLiteral(
                                    "Corbelet : fichier d'habillage illisible, ignoré : %1 (%2)")
                                    .arg(QDir::toNativeSeparators(path), error);
    return image;
}
