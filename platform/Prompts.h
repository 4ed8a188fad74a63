// Message boxes, input boxes, the save dialog and progress reports, behind one interface so that
// tests can answer them. The Qt implementation is shell/QtPrompts; tests use
// tests/support/ScriptedPrompts.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// OkRepair: OK and "Repair...", for the warnings of an open table that repair may mend.
enum class MessageButtons { Ok, OkCancel, OkRepair };
enum class MessageIcon { None, Exclamation };
enum class MessageResult { Ok, Cancel, Repair };

// What the save dialog returns: the path, and which entry of its filter was chosen (0-based).
struct SavedFileName {
    std::string path;
    std::size_t filter = 0;
};

// How far long work has got, shown to the user with a way to cancel it; it disappears when the
// report is destroyed.
class ProgressReport {
public:
    virtual ~ProgressReport() = default;
    // done of total units are done. Returns false once the user has asked to cancel.
    virtual bool advance(long done, long total) = 0;
};

// A report that shows nothing and never cancels, for work that has no one to show it to.
class SilentProgress : public ProgressReport {
public:
    bool advance(long, long) override { return true; }
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box; returns the button pressed (closing the box counts as Cancel when
    // there is a Cancel button, else as Ok).
    virtual MessageResult messageBox(const std::string& text, MessageButtons buttons,
                                     MessageIcon icon, const std::string& title) = 0;

    // A modal input box with OK and Cancel; returns the typed text, or "" after Cancel.
    virtual std::string inputBox(const std::string& prompt, const std::string& title) = 0;

    // The modal save-as dialog. filter is "description|pattern", one pair per entry, joined by
    // "|" (as in "Microsoft Excel files (*.xls)|*.xls"); the first entry is selected. Returns the
    // chosen path as typed and the entry chosen, or nullopt when cancelled.
    virtual std::optional<SavedFileName> saveFileName(const std::string& filter) = 0;

    // The modal open dialog, for an existing file; filter as for saveFileName. Returns the chosen
    // path, or nullopt when cancelled (or where there is no one to ask).
    virtual std::optional<std::string> openFileName(const std::string& filter) {
        (void)filter;
        return std::nullopt;
    }

    // Starts reporting the progress of long work: a modal box with text, title and Cancel, shown
    // only once the work has lasted about half a second.
    virtual std::unique_ptr<ProgressReport> progress(const std::string& text,
                                                     const std::string& title) = 0;
};

// The path with the extension of filter's entry number `entry` added when its file name has no
// extension ("report" and "*.xlsx" give "report.xlsx"); unchanged when it has one, or when the
// entry's pattern is not a single "*.ext".
std::string withFilterExtension(const std::string& path, const std::string& filter,
                                std::size_t entry);

}  // namespace platform
