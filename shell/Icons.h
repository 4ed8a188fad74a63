// The application's pictures: the window icon, the logo and the pictures of every picture
// button.
#pragma once

#include <QIcon>
#include <QPixmap>

class QAbstractButton;
class QSize;
class QStyle;

namespace shell {

// One picture per action a picture button stands for.
enum class Picture {
    New,          // a new table
    Open,         // open a table
    Close,        // close (a table, or a window)
    Export,       // save as a workbook
    About,        // the About window
    Exit,         // end the application
    Select,       // confirm a choice (a file, a folder)
    Cancel,       // leave without choosing
    AddField,     // add a field to the list
    DeleteField,  // remove a field from the list
    CreateTable,  // write the new table
    // The navigation bar's arrows, drawn in one colour for tintedPicture.
    FirstRecord,
    PreviousRecord,
    NextRecord,
    LastRecord,
};

// A button picture: the desktop theme's icon when the theme has one, else the style's standard
// pixmap when the style has one that fits, else a drawing of our own. Never null.
QIcon picture(Picture which, const QStyle* style);

// Our own drawing of the picture (an SVG resource, shell/icons/), whatever the desktop offers.
QIcon ownPicture(Picture which);
// Our drawing with every painted pixel in colour (for the one-colour navigation arrows).
QIcon tintedPicture(Picture which, const QColor& colour);

// Puts the picture on a button, shown at size (device-independent pixels).
void setPicture(QAbstractButton& button, Picture which, const QSize& size);

// The product logo (a purple tile with a small table and a quill; shell/icons/quillon.svg, also
// the icon the desktop shows), square, size pixels wide.
QPixmap logoPixmap(int size);

// The window icon of every window: the logo at the usual icon sizes.
QIcon applicationIcon();

}  // namespace shell
