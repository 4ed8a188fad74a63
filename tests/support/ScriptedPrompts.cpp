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

std::optional<platform::SavedFileName> ScriptedPrompts::saveFileName(const std::string& filter) {
    asked.push_back({Kind::SaveFile, filter, {}});
    if (saveAnswers.empty()) return std::nullopt;
    std::optional<platform::SavedFileName> answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::openFileName(const std::string& filter) {
    asked.push_back({Kind::OpenFile, filter, {}});
    if (openAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

namespace {

class ScriptedProgress : public platform::ProgressReport {
public:
    ScriptedProgress(ScriptedPrompts::Progress& record, std::optional<long> cancelAt,
                     std::function<void(const ScriptedPrompts::Progress&)> onClosed)
        : m_record(record), m_cancelAt(cancelAt), m_onClosed(std::move(onClosed)) {}
    ~ScriptedProgress() override {
        m_record.closed = true;
        if (m_onClosed) m_onClosed(m_record);
    }
    bool advance(long done, long total) override {
        ++m_record.advances;
        m_record.done = done;
        m_record.total = total;
        return !m_cancelAt || m_record.advances < *m_cancelAt;
    }

private:
    ScriptedPrompts::Progress& m_record;
    std::optional<long> m_cancelAt;
    std::function<void(const ScriptedPrompts::Progress&)> m_onClosed;
};

}  // namespace

std::unique_ptr<platform::ProgressReport> ScriptedPrompts::progress(const std::string& text,
                                                                    const std::string& title) {
    progressReports.push_back({text, title});
    return std::make_unique<ScriptedProgress>(progressReports.back(), cancelAtAdvance,
                                              onProgressClosed);
}

std::vector<ScriptedPrompts::Question> ScriptedPrompts::messages() const {
    std::vector<Question> result;
    for (const Question& question : asked) {
        if (question.kind == Kind::Message) result.push_back(question);
    }
    return result;
}

}  // namespace testsupport
