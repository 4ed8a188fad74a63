// The text-fit check must see a caption its control cannot hold, for each kind of control it
// looks at, and pass the same window once every control has room.
#include "tests/support/TextFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

class tst_TextFit : public QObject {
    Q_OBJECT

    // One control of each kind, all with the same long caption, placed in boxes `room` wide.
    struct Window {
        QWidget window;
        explicit Window(int room) {
            const QString text = "A rather long caption";
            auto place = [&](QWidget* control, const char* name, int top, int height) {
                control->setObjectName(name);
                control->setGeometry(8, top, room, height);
            };
            place(new QLabel(text, &window), "label", 0, 24);
            place(new QPushButton(text, &window), "push", 30, 30);
            place(new QRadioButton(text, &window), "radio", 70, 24);
            place(new QCheckBox(text, &window), "check", 100, 24);
            auto* tool = new QToolButton(&window);
            tool->setText(text);
            tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            tool->setIconSize(QSize(16, 16));
            place(tool, "tool", 130, 48);
            auto* frame = new QGroupBox(text, &window);
            place(frame, "frame", 190, 40);
            auto* list = new QComboBox(&window);
            list->addItems({"short", text});
            place(list, "dropDown", 240, 28);
            window.resize(room + 16, 280);
        }
    };

    static QStringList names(const QStringList& clipped) {
        QStringList result;
        for (const QString& line : clipped) result << line.section(':', 0, 0);
        result.removeDuplicates();
        result.sort();
        return result;
    }

private slots:
    void reportsEveryControlTooSmallForItsText() {
        Window narrow(40);
        QCOMPARE(names(testsupport::clippedTexts(narrow.window)),
                 QStringList({"check", "dropDown", "frame", "label", "push", "radio", "tool"}));
    }

    void passesControlsWithRoom() {
        Window wide(400);
        QCOMPARE(testsupport::clippedTexts(wide.window), QStringList());
    }

    void reportsACaptionCutOffBelow() {
        QWidget window;
        auto* label = new QLabel("Short", &window);
        label->setObjectName("low");
        label->setGeometry(0, 0, 200, label->fontMetrics().height() / 2);
        QCOMPARE(names(testsupport::clippedTexts(window)), QStringList({"low"}));
    }
};

QTEST_MAIN(tst_TextFit)
#include "TextFitTest.moc"
