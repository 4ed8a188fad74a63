// The prompts of the running application: Qt's message box, input dialog and file dialog.
#pragma once

#include "platform/Prompts.h"

#include <QString>

#include <string>

namespace shell {

// Every box is modal to the application and parented to the active window; a box without a
// title of its own carries the application title.
class QtPrompts : public platform::Prompts {
public:
    platform::MessageResult messageBox(const std::string& text, platform::MessageButtons buttons,
                                       platform::MessageIcon icon,
                                       const std::string& title) override;
    std::string inputBox(const std::string& prompt, const std::string& title) override;
    std::optional<platform::SavedFileName> saveFileName(const std::string& filter) override;
    std::optional<std::string> openFileName(const std::string& filter) override;
    // A QProgressDialog, application-modal, shown after half a second when the work is still
    // under way then (or is expected to last that long); asked at most 20 times a second.
    std::unique_ptr<platform::ProgressReport> progress(const std::string& text,
                                                       const std::string& title) override;
};

// Turns a filter written as "description|pattern[|description|pattern...]" into Qt's form:
// "Microsoft Excel files (*.xls)|*.xls" becomes "Microsoft Excel files (*.xls)". A description
// that does not already show its pattern gets it added in brackets; several patterns joined by
// ";" become a space-separated list; entries are joined by ";;".
QString qtFileFilter(const std::string& filter);

}  // namespace shell
