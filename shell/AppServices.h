// The services windows need from outside themselves, built once in main.cpp and passed down, so
// that tests can replace each of them.
#pragma once

#include <functional>

class QDialog;

namespace platform {
class Prompts;
class RegistryReader;
class ProcessLauncher;
class FileProbe;
}  // namespace platform

namespace shell {

struct AppServices {
    platform::Prompts& prompts;
    platform::RegistryReader& registry;
    platform::ProcessLauncher& launcher;
    platform::FileProbe& files;
    // Shows a secondary window modally and returns when it has closed (QDialog::exec by default;
    // tests put in a function that works the window and closes it).
    std::function<void(QDialog&)> showModal;
};

}  // namespace shell
