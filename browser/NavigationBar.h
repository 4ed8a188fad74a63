// The data control as the user sees it: a bar with first, previous, next and last buttons and
// the control's caption between them.
#pragma once

#include "engine/DataControl.h"

#include <QWidget>

class QLabel;
class QToolButton;

namespace platform {
class Prompts;
}

namespace browser {

class RowOrder;

// Shows the data control's caption and moves its record set. Previous stops at the first
// record and Next at the last (they never leave the set before its first or past its last
// record); with no set, or an empty one, the buttons do nothing. A move that fails is reported
// through MostrarError. The buttons are named for screen readers ("First record", ...), with
// the same words as tooltips.
//
// While the grid shows its rows in another order (sorted, filtered), the buttons step through
// that order: First goes to the first row shown, Next to the row below the current record's
// (the first row when the current record is not shown).
class NavigationBar : public QWidget, private engine::DataControlListener {
    Q_OBJECT
public:
    NavigationBar(engine::DataControl& dataControl, platform::Prompts& prompts,
                  QWidget* parent = nullptr);
    ~NavigationBar() override;

    QString caption() const;
    // The order the buttons step through; null (or record order) for the record set's own.
    // The order must outlive the bar or be unset first.
    void setRowOrder(const RowOrder* order) { m_rowOrder = order; }

private:
    void captionChanged() override;
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    // Steps through m_rowOrder (which is not record order): to the row at `row`, or by `step`
    // rows from the current record's.
    void moveInOrder(long row, long step);

    engine::DataControl& m_dataControl;
    QLabel* m_caption;
    const RowOrder* m_rowOrder = nullptr;
};

}  // namespace browser
