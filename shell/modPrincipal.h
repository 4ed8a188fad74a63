// The application's identity and its one way of telling the user that something failed.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace platform {
class Prompts;
}

namespace modPrincipal {

// The application title: the reporter's title and the default title of every message box.
inline constexpr const char* kAppTitle = "Quillon FREE";
// The main window's caption.
inline constexpr const char* kMainCaption = "Morvane - Quillon";

// "Version " followed by major, minor and revision joined by points ("Version 1.0.1").
std::string versionText();

// The error reporter: sets the mouse pointer back to the default, then shows the failure's
// description, verbatim but for its control characters written out (base/ShownText.h), in a
// modal box with an OK button, the exclamation icon and the application title. Returns when the
// user has closed the box.
void MostrarError(platform::Prompts& prompts, const std::exception& failure);
void MostrarError(platform::Prompts& prompts, const std::string& description);

// Start-up: shows the splash window without waiting, has loadMainWindow build the main window
// (whose load handler runs there), shows it, and unloads the splash if it is still up. Returns
// the main window, which the caller keeps for the run. Installs no trap: a failure while
// building the main window reaches the caller.
std::unique_ptr<QWidget> Main(platform::Prompts& prompts,
                              const std::function<std::unique_ptr<QWidget>()>& loadMainWindow);

}  // namespace modPrincipal
