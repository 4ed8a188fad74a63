// The grid's Find dialog: the text to look for, where (the current column or every column), and
// whether case counts.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace browser {

struct FindRequest {
    QString text;
    bool allColumns = false;
    bool matchCase = false;
};

// "Find Next" (the default button, enabled while there is a text) accepts; "Cancel", Escape
// and the close box reject. Starts from the request given, so the last search is offered again.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(const FindRequest& start, QWidget* parent = nullptr);

    FindRequest request() const;

private:
    QLineEdit* m_text;
    QRadioButton* m_currentColumn;
    QRadioButton* m_allColumns;
    QCheckBox* m_matchCase;
    QPushButton* m_findNext;
};

}  // namespace browser
