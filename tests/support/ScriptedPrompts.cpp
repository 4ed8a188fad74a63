#include "tests/support/ScriptedPrompts.h"

namespace testsupport {

platform::MessageResult ScriptedPrompts::messageBox(const std::string& text,
                                                    platform::MessageButtons buttons,
                                                    platform::MessageIcon icon,
                                                    const std::string& title) {
    asked.push_back({Kind::Message, text, title, buttons, icon});
    if (messageAnswers.empty()) return platform::MessageResult::Ok;
    platform::MessageResult answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

std::string ScriptedPrompts::inputBox(const std::string& prompt, const std::string& title) {
    asked.push_back({Kind::Input, prompt, title});
    if (inputAnswers.empty()) return {};
    std::string answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::saveFileName(const std::string& filter) {
    asked.push_back({Kind::SaveFile, filter, {}});
    if (saveAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::vector<ScriptedPrompts::Question> ScriptedPrompts::messages() const {
    std::vector<Question> result;
    for (const Question& question : asked) {
        if (question.kind == Kind::Message) result.push_back(question);
    }
    return result;
}

}  // namespace testsupport
