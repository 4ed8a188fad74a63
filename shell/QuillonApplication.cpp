#include "shell/QuillonApplication.h"

#include "shell/modPrincipal.h"

#include <exception>
#include <iostream>

namespace shell {

QuillonApplication::QuillonApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QuillonApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& failure) {
        report(failure.what());
    } catch (...) {
        report("An unknown failure occurred.");
    }
    return false;
}

void QuillonApplication::report(const char* description) {
    // The reporter's own box delivers events too; a failure while it is up goes to stderr so
    // that one failure never turns into a cascade of boxes.
    if (m_prompts == nullptr || m_reporting) {
        std::cerr << "quillon: " << description << '\n';
        return;
    }
    m_reporting = true;
    try {
        modPrincipal::MostrarError(*m_prompts, std::string(description));
    } catch (...) {
        std::cerr << "quillon: " << description << '\n';
    }
    m_reporting = false;
}

}  // namespace shell
