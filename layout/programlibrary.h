#pragma once

// Where the program finds its own run-time libraries (the audio library, the
// preview plug-in): in its run path, which the build sets to the executable's
// own folder in the portable layout and to <prefix>/lib/corbelet once
// installed. The loader resolves that path ($ORIGIN and all); the program asks
// it for the result and opens the library by its full path. A bare name would
// be searched in the run path of whichever object calls dlopen, which is not
// the program's when a sanitizer's runtime stands in between.

#include <string>

// The full path of the library file `fileName` in the first folder of the
// running program's library search path that holds it (its run path and the
// system's folders, in the loader's order). `fileName` as it stands when it
// holds a "/" or when no folder holds it, so that dlopen reports it missing.
std::string ProgramLibraryFile(const std::string& fileName);
