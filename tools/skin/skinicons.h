// The program's icon for the desktop: the crow in its badge, as on the
// information panel, in the sizes of the hicolor icon theme and as SVG.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace Skin {

// The square sizes, in pixels, of the icon's bitmaps.
inline const std::vector<int> kAppIconSizes{16, 22, 32, 48, 64, 128, 256};

QImage paintAppIcon(int pixels);

// Writes the scalable icon to `path` as SVG; raises std::runtime_error when it
// cannot.
void writeScalableAppIcon(const QString& path);

} // namespace Skin
