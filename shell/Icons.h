// The application's pictures: the window icon, the logo and the button pictures.
#pragma once

#include <QIcon>
#include <QPixmap>

class QStyle;

namespace shell {

enum class Picture { New, Open, Close, Export, About, Exit, Select, Cancel };

// A button picture: the desktop theme's icon when the theme has one, else the style's standard
// pixmap, else a drawing of our own. Never null.
QIcon picture(Picture which, const QStyle* style);

// The same picture drawn by us, whatever the desktop offers.
QIcon drawnPicture(Picture which);

// The product logo (a purple tile with a small table and a quill), square, size pixels wide.
QPixmap logoPixmap(int size);

// The window icon of every window: the logo at the usual icon sizes.
QIcon applicationIcon();

}  // namespace shell
