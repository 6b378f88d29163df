#pragma once

// A start-up probe for the benchmark and the end-to-end tests, which watch the
// program from outside: when the environment variable CORBELET_STARTUP_TRACE
// is set, the program prints to standard output
//   window <µs>   when the game window is first painted,
//   panel <µs>    when the information panel paInfo is first painted,
// each with the system's monotonic clock in microseconds, so that the
// benchmark can compare them with the moment it started the process; and
//   text <name> <text>   whenever the information panel's text laTextInfo or
//                        the word affMot is painted with a new text (line
//                        breaks shown as "|");
//   draw <µs> <µs>       when a draw's new counters are painted: when the
//                        key or click that asked for it arrived, and the paint.
// Without the variable nothing is installed.

class QWidget;

void InstallStartupTrace(QWidget* gameWindow);
