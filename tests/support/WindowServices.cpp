#include "tests/support/WindowServices.h"

#include <QDialog>

namespace testsupport {

WindowServices::WindowServices()
    : services{prompts, registry, launcher, files, [this](QDialog& window) {
                   ++modalShown;
                   window.show();
                   if (workModal) workModal(window);
                   if (window.isVisible()) window.reject();
               }} {}

}  // namespace testsupport
