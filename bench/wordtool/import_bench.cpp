// corbelet-mots importing lists of 25,000 to 400,000 new words into a copy of
// the run directory's base, checked without writing (--essai): the time of
// each, and its ratio to the list half its size. A linear import doubles its
// time when its list doubles.

#include "tests/support/fixturebase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// `count` distinct nouns of letters alone, one per line.
QByteArray newWords(int count)
{
    QByteArray list;
    for (int index = 0; index < count; ++index) {
        QByteArray word = "bench";
        for (int rest = index; rest > 0 || word.size() == 5; rest /= 26)
            word += char('a' + rest % 26);
        list += word + "\tnom\tmasculin\n";
    }
    return list;
}

} // namespace

int main()
{
    QTemporaryDir base;
    if (!base.isValid() || !FixtureBase::copyRunDirectory(base.path())) {
        std::fprintf(stderr, "cannot copy the run directory\n");
        return 1;
    }
    std::printf("%10s %10s %8s\n", "words", "ms", "ratio");
    double previous = 0;
    for (int count = 25000; count <= 400000; count *= 2) {
        QFile list(base.filePath("liste.txt"));
        if (!list.open(QIODevice::WriteOnly) || list.write(newWords(count)) < 0)
            return 1;
        list.close();
        QProcess tool;
        QElapsedTimer timer;
        timer.start();
        tool.start(base.filePath("corbelet-mots"), {"importer", list.fileName(), "--essai",
                                                    "--silencieux", "--donnees", base.path()});
        if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
            std::fprintf(stderr, "%s", tool.readAllStandardError().constData());
            return 1;
        }
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        std::printf("%10d %10.0f %8.2f\n", count, elapsed, previous > 0 ? elapsed / previous : 0.0);
        std::fflush(stdout);
        previous = elapsed;
    }
    return 0;
}
