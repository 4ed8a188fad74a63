// Entry point of the desktop application: builds the services the windows use and runs start-up.
#include "browser/frmPrincipal.h"
#include "platform/FileProbe.h"
#include "platform/ProcessLauncher.h"
#include "platform/RegistryReader.h"
#include "shell/AppServices.h"
#include "shell/Icons.h"
#include "shell/QtPrompts.h"
#include "shell/QuillonApplication.h"
#include "shell/modPrincipal.h"

#include <QDialog>

#include <exception>
#include <memory>
#include <stdexcept>

namespace {

// Stand-ins until the platform's Linux services are linked in.
class NoRegistry : public platform::RegistryReader {
public:
    std::optional<Handle> open(std::uint32_t, const std::string&) override { return std::nullopt; }
    std::optional<QueryResult> query(Handle, const std::string&, std::size_t) override {
        return std::nullopt;
    }
    void close(Handle) override {}
};

class NoLauncher : public platform::ProcessLauncher {
public:
    void start(const std::string& programPath) override {
        throw std::runtime_error("Cannot start " + programPath + ".");
    }
};

class NoFiles : public platform::FileProbe {
public:
    bool fileExists(const std::string&) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    // The prompts outlive the application object, which reports through them to the end.
    shell::QtPrompts prompts;
    shell::QuillonApplication application(argc, argv);
    application.setPrompts(&prompts);
    QApplication::setWindowIcon(shell::applicationIcon());
    NoRegistry registry;
    NoLauncher launcher;
    NoFiles files;
    shell::AppServices services{prompts, registry, launcher, files,
                                [](QDialog& window) { window.exec(); }};

    std::unique_ptr<QWidget> mainWindow;
    try {
        mainWindow = modPrincipal::Main(
            prompts, [&services] { return std::make_unique<browser::frmPrincipal>(services); });
    } catch (const std::exception& failure) {
        modPrincipal::MostrarError(prompts, failure);
        return 1;
    }
    return QApplication::exec();
}
