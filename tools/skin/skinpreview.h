// A picture of the game window dressed with the skin, for checking the skin
// by eye: the window with the whole drawing, the window with the information
// panel over a drawing in progress, and the button glyphs magnified.
#pragma once

#include <QImage>
#include <QString>

#include <map>

namespace Skin {

// `files` maps each skin file name (as written in res/) to its picture.
QImage paintPreview(const std::map<QString, QImage>& files, int scale);

} // namespace Skin
