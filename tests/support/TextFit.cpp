#include "tests/support/TextFit.h"

#include "shell/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QStyleOptionToolButton>
#include <QToolButton>

namespace testsupport {

namespace {

QString describe(const QWidget& control, const QString& text, QSize need, QSize has) {
    return QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
        .arg(control.objectName(), text)
        .arg(need.width())
        .arg(need.height())
        .arg(has.width())
        .arg(has.height());
}

bool fits(QSize need, QSize has) {
    return need.width() <= has.width() && need.height() <= has.height();
}

QSize textSize(const QWidget& control, const QString& text) {
    return control.fontMetrics().size(Qt::TextShowMnemonic, text);
}

// Where a button's caption goes, by the style's own measure.
QRect captionBox(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button) != nullptr) element = QStyle::SE_CheckBoxContents;
    if (qobject_cast<const QRadioButton*>(&button) != nullptr) {
        element = QStyle::SE_RadioButtonContents;
    }
    return button.style()->subElementRect(element, &option, &button);
}

void checkButton(const QAbstractButton& button, QStringList& clipped) {
    if (button.text().isEmpty()) return;
    QSize need = textSize(button, button.text());
    if (!button.icon().isNull() && qobject_cast<const QPushButton*>(&button) != nullptr) {
        need.rwidth() += button.iconSize().width() + 4;
    }
    const QSize has = captionBox(button).size();
    if (!fits(need, has)) clipped << describe(button, button.text(), need, has);
}

// A tool button with its caption under its picture: the caption gets what the picture leaves
// of the button's inside.
void checkToolButton(const QToolButton& button, QStringList& clipped) {
    if (button.text().isEmpty() || button.toolButtonStyle() == Qt::ToolButtonIconOnly) return;
    QStyleOptionToolButton option;
    option.initFrom(&button);
    const int frame = button.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &button);
    QSize has = button.rect().adjusted(frame, frame, -frame, -frame).size();
    if (button.toolButtonStyle() == Qt::ToolButtonTextUnderIcon) {
        has.rheight() -= button.iconSize().height() + 4;
    }
    const QSize need = textSize(button, button.text());
    if (!fits(need, has)) clipped << describe(button, button.text(), need, has);
}

void checkLabel(const QLabel& label, QStringList& clipped) {
    if (label.text().isEmpty()) return;
    const QSize has = label.size();
    const QSize need =
        label.wordWrap() ? QSize(has.width(), label.heightForWidth(has.width())) : label.sizeHint();
    if (!fits(need, has)) clipped << describe(label, label.text(), need, has);
}

void checkFrame(const QGroupBox& frame, QStringList& clipped) {
    if (frame.title().isEmpty()) return;
    QStyleOptionGroupBox option;
    option.initFrom(&frame);
    option.text = frame.title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.textAlignment = frame.alignment();
    const QRect title = frame.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, &frame);
    const QSize need = textSize(frame, frame.title());
    const QSize has(frame.width() - title.left(), title.height());
    if (!fits(need, has)) clipped << describe(frame, frame.title(), need, has);
}

void checkDropDown(const QComboBox& list, QStringList& clipped) {
    QStyleOptionComboBox option;
    option.initFrom(&list);
    const QSize has =
        list.style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list)
            .size();
    for (int row = 0; row < list.count(); ++row) {
        const QSize need = textSize(list, list.itemText(row));
        if (!fits(need, has)) clipped << describe(list, list.itemText(row), need, has);
    }
}

}  // namespace

QStringList clippedTexts(const QWidget& window) {
    QStringList clipped;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control->window() != &window) continue;  // a drop-down's popup, say
        if (const auto* tool = qobject_cast<const QToolButton*>(control)) {
            checkToolButton(*tool, clipped);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            checkButton(*button, clipped);
        } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
            checkLabel(*label, clipped);
        } else if (const auto* frame = qobject_cast<const QGroupBox*>(control)) {
            checkFrame(*frame, clipped);
        } else if (control->metaObject() == &QComboBox::staticMetaObject) {
            // A plain drop-down holds design texts; the drive list holds the machine's volumes.
            checkDropDown(*static_cast<const QComboBox*>(control), clipped);
        }
    }
    return clipped;
}

QStringList misplacedControls(const QWidget& window, const shell::WindowLayout& layout,
                              const QStringList& moved) {
    const shell::TwipsScale twips(window);
    QStringList wrong;
    const QSize client = twips.size(layout.width, layout.height);
    if (window.size() != client) {
        wrong << QStringLiteral("window: %1x%2 instead of %3x%4")
                     .arg(window.width())
                     .arg(window.height())
                     .arg(client.width())
                     .arg(client.height());
    }
    for (const shell::ControlPlace& place : layout.controls) {
        const auto* control = window.findChild<const QWidget*>(place.name);
        if (control == nullptr) {
            wrong << QStringLiteral("%1: missing").arg(place.name);
            continue;
        }
        const QRect expected = twips.rect(place.left, place.top, place.width, place.height);
        if (!moved.contains(place.name) && control->geometry() != expected) {
            const QRect at = control->geometry();
            wrong << QStringLiteral("%1: at %2,%3 %4x%5 instead of %6,%7 %8x%9")
                         .arg(place.name)
                         .arg(at.x())
                         .arg(at.y())
                         .arg(at.width())
                         .arg(at.height())
                         .arg(expected.x())
                         .arg(expected.y())
                         .arg(expected.width())
                         .arg(expected.height());
        }
    }
    return wrong;
}

}  // namespace testsupport
