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

// Shows the data control's caption and moves its record set. Previous stops at the first
// record and Next at the last (they never leave the set before its first or past its last
// record); with no set, or an empty one, the buttons do nothing. A move that fails is reported
// through MostrarError.
class NavigationBar : public QWidget, private engine::DataControlListener {
    Q_OBJECT
public:
    NavigationBar(engine::DataControl& dataControl, platform::Prompts& prompts,
                  QWidget* parent = nullptr);
    ~NavigationBar() override;

    QString caption() const;

private:
    void captionChanged() override;
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();

    engine::DataControl& m_dataControl;
    QLabel* m_caption;
};

}  // namespace browser
