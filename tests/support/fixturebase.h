#pragma once

// A private copy of a fixture word base (built by corbelet_add_word_base into
// build/fixtures/<name>/) in a temporary folder, made the current folder for
// the life of the object: the embedded server resolves ./data and ./share
// against the current folder, and it writes its logs into ./data.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

class FixtureBase
{
public:
    explicit FixtureBase(const QString& name) : m_previous(QDir::currentPath())
    {
        const QString source = QStringLiteral(CORBELET_BINARY_DIR "/fixtures/") + name;
        m_valid = m_folder.isValid() && QDir(source).exists() &&
                  copyTree(source, m_folder.path()) && QDir::setCurrent(m_folder.path());
    }
    ~FixtureBase() { QDir::setCurrent(m_previous); }
    FixtureBase(const FixtureBase&) = delete;
    FixtureBase& operator=(const FixtureBase&) = delete;

    bool isValid() const { return m_valid; }
    QString path() const { return m_folder.path(); }

    // Copies the content of the folder source into target, made when missing.
    static bool copyTree(const QString& source, const QString& target)
    {
        if (!QDir().mkpath(target))
            return false;
        QDir sourceDir(source);
        QDirIterator entries(source, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            const QString entry = entries.next();
            const QString copy = target + QLatin1Char('/') + sourceDir.relativeFilePath(entry);
            if (entries.fileInfo().isDir()) {
                if (!QDir().mkpath(copy))
                    return false;
            } else if (!QFile::copy(entry, copy)) {
                return false;
            }
        }
        return true;
    }

    // A private copy of the staged run directory (CORBELET_RUN_DIR) in
    // target, made when missing, without the settings file a run may have
    // left there: the program in it starts as at its first start.
    static bool copyRunDirectory(const QString& target)
    {
        const QString runDirectory =
            qEnvironmentVariable("CORBELET_RUN_DIR", QStringLiteral(CORBELET_RUN_DIR));
        const QString settings = target + QStringLiteral("/corbelet.ini");
        return copyTree(runDirectory, target) &&
               (!QFileInfo::exists(settings) || QFile::remove(settings));
    }

private:
    QString m_previous;
    QTemporaryDir m_folder;
    bool m_valid = false;
};
