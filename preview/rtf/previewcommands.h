#pragma once

// The command script a host sends to the preview plug-in: lines separated by
// CR LF (a lone LF is accepted too), fields separated by "|":
//
//   HEIGHT|<n>|Pixel|<flag>      the page's height
//   WIDTH|<n>|Pixel|<flag>       the page's width
//   BEGINDOC                     the document's content follows
//   RTFEXT|<path>|<x>|<y>|<w>|<h>  an RTF file placed on the page: its text is laid
//                                out <w> pixels wide from (<x>, <y>); <h> is the
//                                least height its box takes on the page. The
//                                path is what stands between the keyword and the
//                                four numbers, so it may hold "|" itself.
//   ENDDOC                       the content ends
//
// Keywords and the unit are read without regard to letter case; the flag is
// "True" or "False" and is kept for hosts that send it (it changes nothing);
// numbers are decimal with an optional "-", at most ten digits and within the
// range of a 32-bit integer. Blank lines are ignored. Texts are Windows-1252,
// but for file names, which are the file system's own bytes (a folder may be
// named in any script).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Preview {

struct Placement
{
    std::string path; // the file system's bytes, as written in the script
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Placement&) const = default;
};

struct Commands
{
    std::optional<int> height;
    std::optional<int> width;
    std::vector<Placement> documents;
};

// Reads the script. `framed`: the RTFEXT lines must lie between BEGINDOC and
// ENDDOC, and a BEGINDOC must be closed. Throws std::runtime_error with a
// French text naming the first line that cannot be read.
Commands parseCommands(std::string_view script, bool framed = true);

} // namespace Preview
