// The application object: Qt's, plus the last net for a failure that escaped every handler.
#pragma once

#include <QApplication>

namespace platform {
class Prompts;
}

namespace shell {

// Every handler already catches its own failures (see Handlers.h); should one still escape
// into event delivery, notify() reports it through MostrarError instead of letting it unwind
// through Qt, and the event counts as not handled.
class QuillonApplication : public QApplication {
    Q_OBJECT
public:
    QuillonApplication(int& argc, char** argv);

    // Where escaped failures are reported; without prompts they are written to stderr.
    void setPrompts(platform::Prompts* prompts) { m_prompts = prompts; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void report(const char* description);

    platform::Prompts* m_prompts = nullptr;
    bool m_reporting = false;
};

}  // namespace shell
