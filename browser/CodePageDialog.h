// Choosing a code page for the open table: the usual code pages, each with how the first values
// of a text field read in it, so that the user sees which one reads right.
#pragma once

#include "engine/TableCodePage.h"

#include <QDialog>

#include <string>

class QPushButton;
class QTreeWidget;

namespace browser {

// The list of code pages (the one the table is read in now selected and marked), with a
// column of preview values when there are any. The accept button ("Reopen" or "Convert") is
// enabled while a code page is selected; a double click accepts too.
class CodePageDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Reopen, Convert };

    CodePageDialog(Purpose purpose, const std::string& table,
                   const engine::CodePagePreview& preview, QWidget* parent = nullptr);

    // The chosen row of the preview's rows, or -1.
    int chosenRow() const;
    // Selects the row whose code page is named encoding ("866"); false when there is none.
    bool choose(const std::string& encoding);

private:
    const engine::CodePagePreview& m_preview;
    QTreeWidget* m_list;
    QPushButton* m_accept;
};

}  // namespace browser
