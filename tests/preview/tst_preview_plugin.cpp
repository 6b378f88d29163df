// The bridge and the real plug-in together: loading, binding and initialising
// the library, the rules preview in a page of the configuration window, and
// the plug-in's entry points on good and bad input. Stand-in plug-ins provide
// the two faults the real one cannot produce (no PlugInit, a PlugInit that throws).

#include "layout/programlibrary.h"
#include "preview/lib_preview.h"
#include "preview/rulespreview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

// Answers every message box that appears, from a timer (a modal box runs its
// own event loop, in which the timer goes on firing), and records what it saw.
class MessageBoxWatcher : public QObject
{
public:
    struct Seen
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    MessageBoxWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, &MessageBoxWatcher::answer);
        m_timer.start(0);
    }

    // Lets the event loop run a little so that a box shown late is seen too.
    const QList<Seen>& settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return m_seen;
    }

private:
    void answer()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible())
                continue;
            m_seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        }
    }

    QTimer m_timer;
    QList<Seen> m_seen;
};

QList<void*> entries(const TDocRtf& bridge)
{
    return {reinterpret_cast<void*>(bridge.PlugInit),
            reinterpret_cast<void*>(bridge.CreateApercus),
            reinterpret_cast<void*>(bridge.CreateIncApercus),
            reinterpret_cast<void*>(bridge.DestroyApercus),
            reinterpret_cast<void*>(bridge.ShowApercus),
            reinterpret_cast<void*>(bridge.ShowIncApercus),
            reinterpret_cast<void*>(bridge.DrawInPreview),
            reinterpret_cast<void*>(bridge.DrawInPreviewAll),
            reinterpret_cast<void*>(bridge.DrawAdd),
            reinterpret_cast<void*>(bridge.DrawClear),
            reinterpret_cast<void*>(bridge.SetNbPrint),
            reinterpret_cast<void*>(bridge.AutoBegin),
            reinterpret_cast<void*>(bridge.RenderRTFFile),
            reinterpret_cast<void*>(bridge.RenderForm),
            reinterpret_cast<void*>(bridge.RenderRTFStream)};
}

QApplication* application()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

QScrollArea* previewIn(const QWidget* page)
{
    return page->findChild<QScrollArea*>(QStringLiteral("apercu"));
}

QList<QTextDocument*> documents(const QWidget* page, const QString& kind)
{
    QList<QTextDocument*> found;
    for (QTextDocument* document : page->findChildren<QTextDocument*>())
        if (document->objectName() == kind)
            found << document;
    return found;
}

// A configuration window stand-in: a window holding a page of the rules' size.
struct Host
{
    Host()
    {
        window.resize(402, 307);
        page = new QWidget(&window);
        page->setGeometry(10, 60, 377, 207);
    }
    QWidget window;
    QWidget* page = nullptr;
};

} // namespace

class TestPreviewPlugin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Most cases call the real plug-in's entry points directly: without it
        // they would call through null pointers. (Found, not loaded: the first
        // load belongs to previewOutlivesItsBridge.)
        QVERIFY2(ProgramLibraryFile("libcorbeletpreview.so").find('/') != std::string::npos,
                 "The preview plug-in libcorbeletpreview.so is not in the test's run path");
        // The rules document is looked for in the current directory.
        QVERIFY(m_workDir.isValid());
        QVERIFY(QFile::copy(QStringLiteral(CORBELET_SOURCE_DIR "/res/Pendu.rtf"),
                            m_workDir.filePath(QStringLiteral("Pendu.rtf"))));
        QVERIFY(QDir::setCurrent(m_workDir.path()));
    }

    void noLibrary()
    {
        MessageBoxWatcher watcher;
        TDocRtf bridge(application(), "Corbelet 1.0", "libcorbeletpreview-absent.so");
        QCOMPARE(watcher.settle().size(), 0);
        QCOMPARE(bridge.application, application());
        QVERIFY(!bridge.libraryHandle);
        for (void* entry : entries(bridge))
            QVERIFY(!entry);
    }

    void libraryWithoutPlugInit()
    {
        MessageBoxWatcher watcher;
        TDocRtf bridge(application(), "Corbelet 1.0", TEST_PLUGIN_NOINIT);
        QCOMPARE(watcher.settle().size(), 0);
        QVERIFY(bridge.libraryHandle);
        const QList<void*> bound = entries(bridge);
        QVERIFY(!bound.first());
        for (qsizetype i = 1; i < bound.size(); ++i)
            QVERIFY2(bound[i], qPrintable(QString::number(i)));
    }

    void plugInitThrows()
    {
        MessageBoxWatcher watcher;
        TDocRtf bridge(application(), "Corbelet 1.0", TEST_PLUGIN_THROWING);
        const QList<MessageBoxWatcher::Seen>& seen = watcher.settle();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].title, QStringLiteral("Avertissement"));
        QCOMPARE(seen[0].text, QStringLiteral("Erreur de chargement..."));
        QCOMPARE(seen[0].icon, QMessageBox::Warning);
        QCOMPARE(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        // Binding came before the call, so everything is there.
        QVERIFY(bridge.libraryHandle);
        for (void* entry : entries(bridge))
            QVERIFY(entry);
    }

    // What the configuration window's side sends, in its order: the preview
    // created in the page with the window as owner, the script of the page's
    // size at that moment, the preview shown; later size changes send
    // nothing; the preview destroyed at the end.
    void rulesPreviewCallsInOrder()
    {
        MessageBoxWatcher watcher;
        TDocRtf bridge(application(), "Corbelet 1.0", TEST_PLUGIN_RECORDING);
        const auto count =
            reinterpret_cast<int (*)()>(dlsym(bridge.libraryHandle, "TestPluginCallCount"));
        const auto call =
            reinterpret_cast<const char* (*)(int)>(dlsym(bridge.libraryHandle, "TestPluginCall"));
        QVERIFY(count && call);
        Host host;
        const std::uint32_t handle =
            ShowRulesPreview(bridge, &host.window, host.page, QStringLiteral("./Pendu.rtf"));
        QCOMPARE(handle, 7u);
        host.page->resize(300, 100);
        host.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        DestroyRulesPreview(bridge, handle);

        const auto address = [](const void* pointer) {
            return QString::number(reinterpret_cast<quintptr>(pointer));
        };
        QStringList calls;
        for (int i = 0; i < count(); ++i)
            calls << QString::fromLatin1(call(i));
        const QStringList expected = {
            "PlugInit " + address(application()) + " Corbelet 1.0",
            "CreateIncApercus " + address(&host.window) + ' ' + address(host.page),
            "DrawInPreviewAll 7 HEIGHT|202|Pixel|False\r\nWIDTH|397|Pixel|False\r\nBEGINDOC\r\n"
            "RTFEXT|./Pendu.rtf|10|5|387|207\r\nENDDOC",
            "ShowIncApercus 7",
            "DestroyApercus 7",
        };
        QCOMPARE(calls, expected);
        QCOMPARE(watcher.settle().size(), 0);
    }

    // Runs before anything else loads the real plug-in: when its one bridge
    // goes, a preview it made must still be destroyable with its page.
    void previewOutlivesItsBridge()
    {
        Host host;
        {
            TDocRtf bridge(application(), "Corbelet 1.0");
            QVERIFY(bridge.CreateIncApercus);
            QVERIFY(bridge.CreateIncApercus(&host.window, host.page) != 0);
        }
        QVERIFY(previewIn(host.page));
        host.window.show();
        QCoreApplication::processEvents();
    }

    void realPluginIsBoundAndInitialised()
    {
        MessageBoxWatcher watcher;
        TDocRtf& bridge = DocRtf();
        QCOMPARE(&DocRtf(), &bridge); // one bridge per process
        QCOMPARE(watcher.settle().size(), 0);
        QCOMPARE(bridge.application, application());
        for (void* entry : entries(bridge))
            QVERIFY(entry);
        // PlugInit's text titles the free-standing preview windows.
        QWidget owner;
        const std::uint32_t handle = bridge.CreateApercus(&owner);
        QVERIFY(handle != 0);
        QPointer<QWidget> window = owner.findChild<QScrollArea*>(QStringLiteral("apercu"));
        QVERIFY(window && window->isWindow());
        QCOMPARE(window->windowTitle(), QStringLiteral("Aperçu - " CORBELET_VERSION_TITLE));
        QVERIFY(!window->isVisible());
        bridge.ShowApercus(handle);
        QVERIFY(window->isVisible());
        bridge.DestroyApercus(handle);
        QVERIFY(!window);
    }

    void rulesPreviewInPage()
    {
        Host host;
        const std::uint32_t handle = ShowRulesPreview(
            DocRtf(), &host.window, host.page, m_workDir.filePath(QStringLiteral("Pendu.rtf")));
        QVERIFY(handle != 0);
        host.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));

        QPointer<QScrollArea> preview = previewIn(host.page);
        QVERIFY(preview);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->geometry(), host.page->rect());
        QVERIFY(!host.page->findChild<QLabel*>());
        QCOMPARE(documents(host.page, "notice").size(), 0);
        const QList<QTextDocument*> shown = documents(host.page, "document");
        QCOMPARE(shown.size(), 1);
        const QTextBlock title = shown[0]->begin();
        QCOMPARE(title.text(), QStringLiteral("Corbelet — le jeu du pendu"));
        for (auto fragment = title.begin(); !fragment.atEnd(); ++fragment)
            QCOMPARE(fragment.fragment().charFormat().fontWeight(), int(QFont::Bold));
        // The rules are longer than the page: they scroll down, never sideways.
        QVERIFY(preview->verticalScrollBar()->isVisible());
        QVERIFY(preview->widget()->width() <= preview->viewport()->width());

        // Something was painted: the title's dark text on the white page.
        const QImage picture = preview->grab().toImage();
        int dark = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < picture.width(); ++x)
                dark += qGray(picture.pixel(x, y)) < 128;
        QVERIFY2(dark > 50, qPrintable(QString::number(dark)));

        DestroyRulesPreview(DocRtf(), handle);
        QVERIFY(!preview);
        DestroyRulesPreview(DocRtf(), handle); // a second time changes nothing
    }

    // The rules document is found in a folder of any name: letters outside
    // Windows-1252, the script's own field separator.
    void rulesFromAnyFolderName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Cyrillic") << QStringLiteral("Игры");
        QTest::newRow("separator") << QStringLiteral("Jeux|Pendu");
        QTest::newRow("accents") << QStringLiteral("Jeux éducatifs");
    }
    void rulesFromAnyFolderName()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_workDir.path()).mkpath(name));
        const QString document =
            QDir(m_workDir.filePath(name)).filePath(QStringLiteral("Pendu.rtf"));
        QVERIFY(QFile::copy(m_workDir.filePath(QStringLiteral("Pendu.rtf")), document));
        Host host;
        const std::uint32_t handle = ShowRulesPreview(DocRtf(), &host.window, host.page, document);
        QVERIFY(handle != 0);
        QCOMPARE(documents(host.page, "notice").size(), 0);
        QCOMPARE(documents(host.page, "document").size(), 1);
        DestroyRulesPreview(DocRtf(), handle);
    }

    void rulesDocumentNotShown_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "est introuvable.";
        QTest::newRow("named pipe") << "pipe"
                                    << "n'est pas un fichier.";
        QTest::newRow("folder") << "folder"
                                << "n'est pas un fichier.";
    }
    void rulesDocumentNotShown()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        const QString document = folder.filePath(QStringLiteral("Pendu.rtf"));
        const QByteArray documentPath = QFile::encodeName(document);
        if (kind == "pipe")
            QCOMPARE(::mkfifo(documentPath.constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir(folder.path()).mkdir("Pendu.rtf"));
        // A program stuck opening the pipe is let go after a while, so that
        // the fault fails the test instead of hanging it.
        std::atomic<bool> done = false;
        std::thread release([&] {
            for (int i = 0; i < 100 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            if (const int writer = ::open(documentPath.constData(), O_WRONLY | O_NONBLOCK);
                !done && writer >= 0)
                ::close(writer);
        });
        Host host;
        const std::uint32_t handle = ShowRulesPreview(DocRtf(), &host.window, host.page, document);
        done = true;
        release.join();
        QVERIFY(handle != 0);
        QCOMPARE(documents(host.page, "document").size(), 0);
        const QList<QTextDocument*> notices = documents(host.page, "notice");
        QCOMPARE(notices.size(), 1);
        const QString notice = notices[0]->toPlainText();
        QVERIFY2(notice.contains(QStringLiteral("« %1 » %2").arg(document, reason)),
                 qPrintable(notice));
        DestroyRulesPreview(DocRtf(), handle);
    }

    void noPluginShowsNotice()
    {
        TDocRtf bridge(application(), "Corbelet 1.0", "libcorbeletpreview-absent.so");
        Host host;
        QCOMPARE(ShowRulesPreview(bridge, &host.window, host.page, QString()), 0u);
        QVERIFY(!previewIn(host.page));
        auto* notice = host.page->findChild<QLabel*>(QStringLiteral("laApercuAbsent"));
        QVERIFY(notice);
        QCOMPARE(notice->text(), QStringLiteral("Les règles du jeu ne peuvent pas être affichées : "
                                                "le module d'aperçu est absent."));
        DestroyRulesPreview(bridge, 0);
    }

    void pluginThatCannotCreateShowsNotice()
    {
        TDocRtf bridge(application(), "Corbelet 1.0", TEST_PLUGIN_NOINIT);
        Host host;
        QCOMPARE(ShowRulesPreview(bridge, &host.window, host.page, QString()), 0u);
        auto* notice = host.page->findChild<QLabel*>(QStringLiteral("laApercuAbsent"));
        QVERIFY(notice);
        QVERIFY(notice->text().contains(QStringLiteral("n'a pas pu créer")));
    }

    void unreadableScriptShowsNotice()
    {
        TDocRtf& bridge = DocRtf();
        Host host;
        const std::uint32_t handle = bridge.CreateIncApercus(&host.window, host.page);
        bridge.DrawInPreviewAll(handle, "BEGINDOC\r\nRTFEXT|./Pendu.rtf|10|5|387|207\r\nENDDOC");
        QCOMPARE(documents(host.page, "document").size(), 1);
        bridge.DrawInPreviewAll(handle, "HEIGHT|202|Pixel|False\r\nPICTURE|x.png");
        QCOMPARE(documents(host.page, "document").size(), 0);
        const QList<QTextDocument*> notices = documents(host.page, "notice");
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0]->toPlainText().contains(QStringLiteral("Ligne 2")));
        bridge.DrawInPreviewAll(handle, nullptr); // an empty script: an empty preview
        QCOMPARE(host.page->findChildren<QTextDocument*>().size(), 0);
        bridge.DestroyApercus(handle);
    }

    void malformedDocumentShowsNotice()
    {
        QFile file(QStringLiteral("broken.rtf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not RTF at all");
        file.close();
        TDocRtf& bridge = DocRtf();
        Host host;
        const std::uint32_t handle = bridge.CreateIncApercus(&host.window, host.page);
        bridge.DrawInPreviewAll(handle, "BEGINDOC\r\nRTFEXT|broken.rtf|0|0|100|50\r\n"
                                        "RTFEXT|Pendu.rtf|0|60|300|10\r\nENDDOC");
        // Only the broken document gives way to a notice.
        QCOMPARE(documents(host.page, "document").size(), 1);
        const QList<QTextDocument*> notices = documents(host.page, "notice");
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices[0]->toPlainText().contains(QStringLiteral("format RTF")));
        bridge.DestroyApercus(handle);
    }

    void otherEntryPoints()
    {
        TDocRtf& bridge = DocRtf();
        Host host;
        const std::uint32_t handle = bridge.CreateIncApercus(&host.window, host.page);
        QVERIFY(handle != 0);

        QCOMPARE(bridge.RenderRTFFile(handle, "Pendu.rtf"), 1);
        QCOMPARE(bridge.RenderRTFFile(handle, "absent.rtf"), 0);
        const std::string rtf = "{\\rtf1 {\\b flux}}";
        QCOMPARE(bridge.RenderRTFStream(handle, rtf.data(), rtf.size()), 1);
        QCOMPARE(bridge.RenderRTFStream(handle, "{\\rtf1 cut", 3), 0);
        QCOMPARE(bridge.RenderRTFStream(handle, nullptr, 10), 0);
        bridge.DrawAdd(handle, "\xE9t\xE9 \x80");
        QCOMPARE(documents(host.page, "document").size(), 2);
        QCOMPARE(documents(host.page, "notice").size(), 3);
        QCOMPARE(documents(host.page, "document")[1]->toPlainText(), QStringLiteral("flux"));
        QCOMPARE(documents(host.page, "text")[0]->toPlainText(), QStringLiteral("été €"));
        QLabel form(QStringLiteral("Formulaire"));
        form.resize(120, 30);
        QCOMPARE(bridge.RenderForm(handle, &form), 1);
        QCOMPARE(bridge.RenderForm(handle, nullptr), 0);

        bridge.DrawClear(handle);
        QCOMPARE(host.page->findChildren<QTextDocument*>().size(), 0);

        QCOMPARE(bridge.SetNbPrint(handle, 3), 3);
        QCOMPARE(bridge.SetNbPrint(handle, 0), 1);
        QCOMPARE(bridge.SetNbPrint(handle, 5000), 999);

        // Document lines outside BEGINDOC/ENDDOC need AutoBegin.
        const char* bare = "RTFEXT|Pendu.rtf|0|0|300|10";
        bridge.DrawInPreview(handle, bare);
        QCOMPARE(documents(host.page, "document").size(), 0);
        QCOMPARE(documents(host.page, "notice").size(), 1);
        bridge.AutoBegin(handle, 1);
        bridge.DrawInPreview(handle, bare);
        QCOMPARE(documents(host.page, "document").size(), 1);
        bridge.DrawInPreview(handle, bare); // adds to what is shown
        QCOMPARE(documents(host.page, "document").size(), 2);

        bridge.ShowIncApercus(handle);
        host.window.show();
        QVERIFY(previewIn(host.page)->isVisible());
        bridge.DestroyApercus(handle);
        QVERIFY(!previewIn(host.page));
    }

    void unknownHandlesAreIgnored()
    {
        TDocRtf& bridge = DocRtf();
        QCOMPARE(bridge.CreateIncApercus(nullptr, nullptr), 0u);
        for (const std::uint32_t handle : {0u, 4000000000u}) {
            bridge.ShowApercus(handle);
            bridge.ShowIncApercus(handle);
            bridge.DrawInPreview(handle, "ENDDOC");
            bridge.DrawInPreviewAll(handle, "ENDDOC");
            bridge.DrawAdd(handle, "x");
            bridge.DrawClear(handle);
            bridge.AutoBegin(handle, 1);
            QCOMPARE(bridge.SetNbPrint(handle, 2), 0);
            QCOMPARE(bridge.RenderRTFFile(handle, "Pendu.rtf"), 0);
            QCOMPARE(bridge.RenderRTFStream(handle, "{\\rtf1 a}", 9), 0);
            QCOMPARE(bridge.RenderForm(handle, nullptr), 0);
            bridge.DestroyApercus(handle);
        }
    }

    // A preview destroyed with its page leaves a handle that names nothing.
    void previewDestroyedWithItsPage()
    {
        TDocRtf& bridge = DocRtf();
        std::uint32_t handle = 0;
        {
            Host host;
            handle = bridge.CreateIncApercus(&host.window, host.page);
            QVERIFY(handle != 0);
        }
        bridge.DrawInPreviewAll(handle, "BEGINDOC\r\nENDDOC");
        bridge.ShowIncApercus(handle);
        bridge.DestroyApercus(handle);
        Host other;
        const std::uint32_t next = bridge.CreateIncApercus(&other.window, other.page);
        QVERIFY(next != 0 && next != handle); // handles are never handed out twice
        bridge.DestroyApercus(next);
    }

    void previewFollowsItsPage()
    {
        TDocRtf& bridge = DocRtf();
        Host host;
        host.window.show();
        const std::uint32_t handle = bridge.CreateIncApercus(&host.window, host.page);
        host.page->resize(300, 150);
        QCOMPARE(previewIn(host.page)->geometry(), QRect(0, 0, 300, 150));
        bridge.DestroyApercus(handle);

        // A page with a layout gets the preview as one of its items.
        auto* layout = new QVBoxLayout(host.page);
        const std::uint32_t laidOut = bridge.CreateIncApercus(&host.window, host.page);
        QCOMPARE(layout->count(), 1);
        QCOMPARE(layout->itemAt(0)->widget(), previewIn(host.page));
        bridge.DestroyApercus(laidOut);
    }

private:
    QTemporaryDir m_workDir;
};

QTEST_MAIN(TestPreviewPlugin)
#include "tst_preview_plugin.moc"
