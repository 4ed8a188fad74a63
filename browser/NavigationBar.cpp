#include "browser/NavigationBar.h"

#include "browser/RowOrder.h"
#include "engine/Recordset.h"
#include "shell/Handlers.h"
#include "shell/Icons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

namespace browser {

namespace {

bool inOtherOrder(const RowOrder* order) { return order != nullptr && !order->isIdentity(); }

}  // namespace

NavigationBar::NavigationBar(engine::DataControl& dataControl, platform::Prompts& prompts,
                             QWidget* parent)
    : QWidget(parent), m_dataControl(dataControl), m_caption(new QLabel(this)) {
    setToolTip("Navigation bar");
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const QColor arrowColour = palette().color(QPalette::ButtonText);
    auto addButton = [&](const char* name, const char* text, shell::Picture arrow,
                         void (NavigationBar::*step)()) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setAccessibleName(text);
        button->setToolTip(text);
        button->setIcon(shell::tintedPicture(arrow, arrowColour));
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        shell::connectHandler(button, &QToolButton::clicked, this, prompts,
                              [this, step] { (this->*step)(); });
        layout->addWidget(button);
        return button;
    };
    addButton("first", "First record", shell::Picture::FirstRecord, &NavigationBar::moveFirst);
    addButton("previous", "Previous record", shell::Picture::PreviousRecord,
              &NavigationBar::movePrevious);

    m_caption->setObjectName("caption");
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->setIndent(4);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setMinimumWidth(0);
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    layout->addWidget(m_caption, 1);

    addButton("next", "Next record", shell::Picture::NextRecord, &NavigationBar::moveNext);
    addButton("last", "Last record", shell::Picture::LastRecord, &NavigationBar::moveLast);

    m_dataControl.addListener(this);
    captionChanged();
}

NavigationBar::~NavigationBar() { m_dataControl.removeListener(this); }

QString NavigationBar::caption() const { return m_caption->text(); }

void NavigationBar::captionChanged() {
    m_caption->setText(QString::fromStdString(m_dataControl.Caption()));
}

void NavigationBar::moveInOrder(long row, long step) {
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || m_rowOrder->size() == 0) return;
    if (step != 0) {
        const long current = m_rowOrder->rowOf(set->AbsolutePosition());
        row = current < 0 ? 0 : std::clamp(current + step, 0L, m_rowOrder->size() - 1);
    }
    const long position = m_rowOrder->positionAt(row);
    if (position != set->AbsolutePosition()) set->SetAbsolutePosition(position);
}

void NavigationBar::moveFirst() {
    if (inOtherOrder(m_rowOrder)) return moveInOrder(0, 0);
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || set->RecordCount() == 0) return;
    set->MoveFirst();
}

void NavigationBar::movePrevious() {
    if (inOtherOrder(m_rowOrder)) return moveInOrder(0, -1);
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || set->RecordCount() == 0 || set->AbsolutePosition() == 0) return;
    if (set->IsBOF()) {
        set->MoveFirst();
        return;
    }
    set->MovePrevious();
    if (set->IsBOF()) set->MoveFirst();
}

void NavigationBar::moveNext() {
    if (inOtherOrder(m_rowOrder)) return moveInOrder(0, 1);
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || set->RecordCount() == 0 ||
        set->AbsolutePosition() == set->RecordCount() - 1) {
        return;
    }
    if (set->IsEOF()) {
        set->MoveLast();
        return;
    }
    set->MoveNext();
    if (set->IsEOF()) set->MoveLast();
}

void NavigationBar::moveLast() {
    if (inOtherOrder(m_rowOrder)) return moveInOrder(m_rowOrder->size() - 1, 0);
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || set->RecordCount() == 0) return;
    set->MoveLast();
}

}  // namespace browser
