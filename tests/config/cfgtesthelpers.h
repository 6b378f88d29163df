#pragma once

// Helpers of the configuration window tests: files, and picks made as a
// player makes them.

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QTest>

#include <string>

namespace CfgTest {

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

// Opens the list's popup and clicks the entry, as the player does.
inline bool pick(QComboBox* list, int index)
{
    list->showPopup();
    QAbstractItemView* view = list->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }))
        return false;
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    return QTest::qWaitFor([view] { return !view->isVisible(); });
}

// The 21 keys of a new settings file with the window's initial values.
inline QByteArray newFileContent()
{
    return QByteArray("[Config]\n"
                      "NbMotMin=5\n"
                      "NbMotMax=25\n"
                      "NbPointMin=5\n"
                      "NbPointMax=52\n"
                      "cbType=0\n"
                      "cbCathegorie=0\n"
                      "cbGenre=0\n"
                      "LimitTemps=1\n"
                      "TempsPartie=30\n"
                      "NiveauDuJeu=1\n"
                      "NomUser=\n"
                      "SonGagner=\n"
                      "SonPerdu=\n"
                      "SonBonneLettre=\n"
                      "SonErreur=\n"
                      "SonDefaut=1\n"
                      "SonNouveau=\n"
                      "PasDeSon=0\n"
                      "SonDecide=\n"
                      "SonExit=\n"
                      "SonHello=\n");
}

} // namespace CfgTest
