#pragma once

// A start-up timing probe for the benchmark: when the environment variable
// CORBELET_STARTUP_TRACE is set, the program prints to standard output
//   window <µs>   when the game window is first painted,
//   panel <µs>    when the information panel paInfo is first painted,
// each with the system's monotonic clock in microseconds, so that the
// benchmark can compare them with the moment it started the process.
// Without the variable nothing is installed.

class QWidget;

void InstallStartupTrace(QWidget* gameWindow);
