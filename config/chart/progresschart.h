#pragma once

// The chart of the "Progrès" page, in a plug-in of its own
// (libcorbeletprogresschart.so) that the page loads at its first use: Qt
// Charts, which only this chart needs, is then loaded with it, and the game's
// start-up neither waits for it nor holds it in memory. A C interface of two
// entry points, bound by name.

#include <QDate>

class QWidget;

// The plug-in's file, looked for in the program's run path.
inline constexpr const char* kProgressChartLibrary = "libcorbeletprogresschart.so";

extern "C" {

// A new chart, a QChartView named "chGraphique" owned by `parent`: a line
// of the words won (green, "Gagnés") and one of the words lost (red,
// "Perdus"), a point a day, on a date axis.
typedef QWidget* (*CreateProgressChartFunction)(QWidget* parent);
inline constexpr const char* kCreateProgressChart = "CorbeletCreateProgressChart";

// Shows `days` days from `first` on: won[i] and lost[i] for the day first + i.
typedef void (*ShowProgressChartFunction)(QWidget* chart, QDate first, const int* won,
                                          const int* lost, int days);
inline constexpr const char* kShowProgressChart = "CorbeletShowProgressChart";
}
