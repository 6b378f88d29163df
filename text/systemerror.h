#pragma once

// The reason of a failed system call, as the player reads it: in French
// whatever the locale (a classroom machine often runs in English, or without
// the C library's translations), for the reasons a file or folder operation
// commonly gives; the C library's own text for the rare others.

#include <string>

std::string SystemErrorText(int error);
