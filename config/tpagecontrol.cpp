#include "config/tpagecontrol.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent)
{
    setDocumentMode(true);
    tabBar()->setDrawBase(false);
    tabBar()->setExpanding(false);
    // Flat button-like tabs: the current one looks pressed in, the others lie
    // flat on the window until the mouse passes over them.
    tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { background: transparent; color: black; border: 1px solid transparent;"
        " padding: 2px 8px; margin: 1px 2px 2px 0px; }"
        "QTabBar::tab:hover { border-color: rgb(255,255,255) rgb(0,64,128) rgb(0,64,128) "
        "rgb(255,255,255); }"
        "QTabBar::tab:selected { background: rgb(0,112,224);"
        " border-color: rgb(0,64,128) rgb(255,255,255) rgb(255,255,255) rgb(0,64,128); }"));
}

QSize TPageControl::pageSize() const
{
    tabBar()->ensurePolished();
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).size();
}
