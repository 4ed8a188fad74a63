// Message boxes, input boxes and the save dialog, behind one interface so that tests can answer
// them. The Qt implementation is shell/QtPrompts; tests use tests/support/ScriptedPrompts.
#pragma once

#include <optional>
#include <string>

namespace platform {

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Exclamation };
enum class MessageResult { Ok, Cancel };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box; returns the button pressed (closing the box counts as Cancel when
    // there is a Cancel button, else as Ok).
    virtual MessageResult messageBox(const std::string& text, MessageButtons buttons,
                                     MessageIcon icon, const std::string& title) = 0;

    // A modal input box with OK and Cancel; returns the typed text, or "" after Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title) = 0;

    // The modal save-as dialog. filter is one entry "description|pattern" (as in
    // "Microsoft Excel files (*.xls)|*.xls"). Returns the chosen path, or nullopt when cancelled.
    virtual std::optional<std::string> saveFileName(const std::string& filter) = 0;
};

}  // namespace platform
