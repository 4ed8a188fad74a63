// A Prompts implementation for tests: answers come from queues the test fills, and every question
// is recorded so the test can check its texts.
#pragma once

#include "platform/Prompts.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ScriptedPrompts : public platform::Prompts {
public:
    enum class Kind { Message, Input, SaveFile, OpenFile };

    struct Question {
        Kind kind = Kind::Message;
        std::string text;   // message text, input prompt, or file filter
        std::string title;  // empty for the file dialogs
        platform::MessageButtons buttons = platform::MessageButtons::Ok;
        platform::MessageIcon icon = platform::MessageIcon::None;
    };

    // Queued answers; when a queue is empty, a message box answers Ok, an input box "" (as
    // Cancel), and the file dialogs nullopt (cancelled).
    std::deque<platform::MessageResult> messageAnswers;
    std::deque<std::string> inputAnswers;
    std::deque<std::optional<platform::SavedFileName>> saveAnswers;
    std::deque<std::optional<std::string>> openAnswers;

    std::vector<Question> asked;

    // Every progress report started, with what it heard; closed once it is destroyed.
    struct Progress {
        std::string text;
        std::string title;
        long advances = 0;
        long done = 0;  // the last done and total
        long total = 0;
        bool closed = false;
    };
    std::deque<Progress> progressReports;
    // When set, a report answers false (cancel) from its n-th advance on.
    std::optional<long> cancelAtAdvance;
    // When set, runs as a report closes (the work it reported on is over).
    std::function<void(const Progress&)> onProgressClosed;

    platform::MessageResult messageBox(const std::string& text, platform::MessageButtons buttons,
                                       platform::MessageIcon icon,
                                       const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title) override;
    std::optional<platform::SavedFileName> saveFileName(const std::string& filter) override;
    std::optional<std::string> openFileName(const std::string& filter) override;
    std::unique_ptr<platform::ProgressReport> progress(const std::string& text,
                                                       const std::string& title) override;

    // The message-box questions only, in order.
    std::vector<Question> messages() const;
};

}  // namespace testsupport
