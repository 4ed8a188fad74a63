#include "shell/modPrincipal.h"

#include "base/ShownText.h"
#include "platform/Prompts.h"
#include "quillon/Version.h"
#include "shell/frmPresentacion.h"

#include <QApplication>
#include <QPointer>

namespace modPrincipal {

std::string versionText() {
    return "Version " + std::to_string(quillon::kVersionMajor) + "." +
           std::to_string(quillon::kVersionMinor) + "." + std::to_string(quillon::kVersionRevision);
}

void MostrarError(platform::Prompts& prompts, const std::exception& failure) {
    MostrarError(prompts, std::string(failure.what()));
}

void MostrarError(platform::Prompts& prompts, const std::string& description) {
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    prompts.messageBox(base::shownText(description), platform::MessageButtons::Ok,
                       platform::MessageIcon::Exclamation, kAppTitle);
}

std::unique_ptr<QWidget> Main(platform::Prompts& prompts,
                              const std::function<std::unique_ptr<QWidget>()>& loadMainWindow) {
    // The splash may close itself (a key or a click) before start-up unloads it.
    QPointer<shell::frmPresentacion> splash = new shell::frmPresentacion(prompts);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    // Let it draw once; user input waits until the main window is up.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    std::unique_ptr<QWidget> mainWindow;
    try {
        mainWindow = loadMainWindow();
        mainWindow->show();
    } catch (...) {
        delete splash.data();
        throw;
    }
    delete splash.data();
    return mainWindow;
}

}  // namespace modPrincipal
