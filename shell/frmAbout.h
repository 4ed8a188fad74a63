// The About window: the application's title, version and purpose, who makes it, and a way to
// start the system's own system-information program.
#pragma once

#include "shell/SecondaryWindow.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class frmAbout;
}

namespace shell {

struct AppServices;

class frmAbout : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmAbout(AppServices& services, QWidget* parent = nullptr);
    ~frmAbout() override;

    // Finds the system-information program through the registry and starts it without waiting.
    // The first place looked at is the program path under the MSINFO key, taken as it is; the
    // second the program's folder under "Shared Tools Location", used only when MSINFO32.EXE is
    // there. Every failure, a failed start included, is answered by one message box ("System
    // Information Is Unavailable At This Time") and nothing else; nothing is thrown.
    void StartSysInfo();

    // Reads one string value from the registry: true and the value's text when the key opens and
    // the value is a string that fits a 1024-byte buffer (its terminating zero included); false
    // and an empty text otherwise. A key that opened is always closed again.
    bool GetKeyValue(std::uint32_t root, const std::string& keyName, const std::string& valueName,
                     std::string& value);

private slots:
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    void Form_Load();
    // The program to start, or nullopt when the registry names none that can be used.
    std::optional<std::string> findSysInfoProgram();

    std::unique_ptr<Ui::frmAbout> ui;
    AppServices& m_services;
};

}  // namespace shell
