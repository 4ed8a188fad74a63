#include "shell/modPrincipal.h"

#include <QApplication>

#include "platform/Prompts.h"
#include "quillon/Version.h"

namespace modPrincipal {

std::string versionText() {
    return "Version " + std::to_string(quillon::kVersionMajor) + "." +
           std::to_string(quillon::kVersionMinor) + "." +
           std::to_string(quillon::kVersionRevision);
}

void MostrarError(platform::Prompts& prompts, const std::exception& failure) {
    MostrarError(prompts, std::string(failure.what()));
}

void MostrarError(platform::Prompts& prompts, const std::string& description) {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    prompts.messageBox(description, platform::MessageButtons::Ok,
                       platform::MessageIcon::Exclamation, kAppTitle);
}

}  // namespace modPrincipal
