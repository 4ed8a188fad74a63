// Entry point of the desktop application: builds the services the windows use and runs start-up.
#include "browser/frmPrincipal.h"
#include "platform/LinuxRegistryReader.h"
#include "platform/PosixProcessLauncher.h"
#include "platform/SystemFileProbe.h"
#include "shell/AppServices.h"
#include "shell/Icons.h"
#include "shell/QtPrompts.h"
#include "shell/QuillonApplication.h"
#include "shell/modPrincipal.h"

#include <QDialog>

#include <exception>
#include <memory>

int main(int argc, char** argv) {
    // The prompts outlive the application object, which reports through them to the end.
    shell::QtPrompts prompts;
    shell::QuillonApplication application(argc, argv);
    application.setPrompts(&prompts);
    QApplication::setWindowIcon(shell::applicationIcon());
    platform::LinuxRegistryReader registry;
    platform::PosixProcessLauncher launcher;
    platform::SystemFileProbe files;
    shell::AppServices services{prompts, registry, launcher, files,
                                [](QDialog& window) { window.exec(); }};

    std::unique_ptr<QWidget> mainWindow;
    browser::frmPrincipal* window = nullptr;
    try {
        mainWindow = modPrincipal::Main(prompts, [&] {
            auto built = std::make_unique<browser::frmPrincipal>(services);
            window = built.get();
            return built;
        });
    } catch (const std::exception& failure) {
        modPrincipal::MostrarError(prompts, failure);
        return 1;
    }
    // `quillon FILE` (a file manager's "open with") opens that table at start.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window->openAtStart(arguments[1]);
    return QApplication::exec();
}
