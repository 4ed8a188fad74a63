// The main window's format options, as the secondary windows read them, for window tests.
#pragma once

#include <QButtonGroup>
#include <QWidget>

namespace testsupport {

// Four exclusive options with the main window's ids: 0 "Dbase III" (chosen at start),
// 1 "Dbase IV", 2 "Dbase V", 3 "Excel".
struct FormatOptions {
    FormatOptions();

    // Chooses the option with this id.
    void choose(int index);

    QWidget host;
    QButtonGroup optDBFVersion;
};

}  // namespace testsupport
