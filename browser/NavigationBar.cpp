#include "browser/NavigationBar.h"

#include "engine/Recordset.h"
#include "shell/Handlers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace browser {

namespace {

enum class Arrow { First, Previous, Next, Last };

// The classic record-navigation arrows: a triangle, with a bar on the outer side for first and
// last.
QIcon arrowIcon(Arrow arrow, const QColor& colour) {
    constexpr int kSize = 16;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const bool left = arrow == Arrow::First || arrow == Arrow::Previous;
    const bool bar = arrow == Arrow::First || arrow == Arrow::Last;
    QPolygonF triangle =
        left ? QPolygonF({{11, 3}, {11, 13}, {5, 8}}) : QPolygonF({{5, 3}, {5, 13}, {11, 8}});
    if (bar) triangle.translate(left ? 1 : -1, 0);
    painter.drawPolygon(triangle);
    if (bar) painter.drawRect(left ? QRectF(3, 3, 2, 10) : QRectF(11, 3, 2, 10));
    return QIcon(pixmap);
}

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
    auto addButton = [&](const char* name, Arrow arrow, void (NavigationBar::*step)()) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setIcon(arrowIcon(arrow, arrowColour));
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        shell::connectHandler(button, &QToolButton::clicked, this, prompts,
                              [this, step] { (this->*step)(); });
        layout->addWidget(button);
        return button;
    };
    addButton("first", Arrow::First, &NavigationBar::moveFirst);
    addButton("previous", Arrow::Previous, &NavigationBar::movePrevious);

    m_caption->setObjectName("caption");
    m_caption->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->setIndent(4);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setMinimumWidth(0);
    m_caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    layout->addWidget(m_caption, 1);

    addButton("next", Arrow::Next, &NavigationBar::moveNext);
    addButton("last", Arrow::Last, &NavigationBar::moveLast);

    m_dataControl.addListener(this);
    captionChanged();
}

NavigationBar::~NavigationBar() { m_dataControl.removeListener(this); }

QString NavigationBar::caption() const { return m_caption->text(); }

void NavigationBar::captionChanged() {
    m_caption->setText(QString::fromStdString(m_dataControl.Caption()));
}

void NavigationBar::moveFirst() {
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || set->RecordCount() == 0) return;
    set->MoveFirst();
}

void NavigationBar::movePrevious() {
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
    engine::Recordset* set = m_dataControl.GetRecordset();
    if (set == nullptr || set->RecordCount() == 0) return;
    set->MoveLast();
}

}  // namespace browser
