// The front panel's own icon, drawn rather than shipped so every size stays sharp.
#pragma once

#include <QIcon>
#include <QImage>

namespace AppIcon {

// The picture at one size: a meter face with a green reading.
QImage render(int size);

// The window icon, with the 16, 24, 32 and 48 pixel pictures.
QIcon icon();

} // namespace AppIcon
