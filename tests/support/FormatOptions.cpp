#include "tests/support/FormatOptions.h"

#include <QAbstractButton>
#include <QRadioButton>

namespace testsupport {

FormatOptions::FormatOptions() {
    const char* captions[] = {"Dbase III", "Dbase IV", "Dbase V", "Excel"};
    for (int index = 0; index < 4; ++index) {
        optDBFVersion.addButton(new QRadioButton(captions[index], &host), index);
    }
    choose(0);
}

void FormatOptions::choose(int index) { optDBFVersion.button(index)->setChecked(true); }

}  // namespace testsupport
