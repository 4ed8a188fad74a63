// The splash window: its texts and fonts, the keys and clicks that close it, and start-up.
#include "shell/frmPresentacion.h"
#include "shell/modPrincipal.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TextFit.h"

#include <QLabel>
#include <QTest>

#include <stdexcept>

namespace {

QLabel* label(const QWidget& window, const char* name) {
    auto* found = window.findChild<QLabel*>(name);
    if (found == nullptr) qFatal("no label %s", name);
    return found;
}

int splashesAlive() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<shell::frmPresentacion*>(widget) != nullptr) ++count;
    }
    return count;
}

}  // namespace

class tst_frmPresentacion : public QObject {
    Q_OBJECT

private slots:
    void loadFillsVersionAndProductWithTheirFonts() {
        testsupport::ScriptedPrompts prompts;
        shell::frmPresentacion splash(prompts);
        QCOMPARE(label(splash, "lblVersion")->text(), QString("Version 1.0.1"));
        QCOMPARE(label(splash, "lblProductName")->text(), QString("Sorvela"));
        QCOMPARE(label(splash, "lblPlatform")->text(), QString("Windows 9x/Nt"));
        QVERIFY(label(splash, "lblCompanyProduct")->text().contains("example.org"));
        QVERIFY(label(splash, "lblWarning")->text().contains("example.org"));

        const QFont product = label(splash, "lblProductName")->font();
        QCOMPARE(product.family(), QString("Verdana"));
        QCOMPARE(product.pointSizeF(), 20.25);
        QVERIFY(product.bold());
        QCOMPARE(label(splash, "lblProductName")->palette().color(QPalette::WindowText),
                 QColor(128, 0, 128));
        QCOMPARE(label(splash, "lblCopyright")->font().family(), QString("Arial"));
        QCOMPARE(label(splash, "lblCopyright")->font().pointSizeF(), 8.25);
        QVERIFY(label(splash, "lblVersion")->alignment() & Qt::AlignRight);
        QVERIFY(prompts.asked.empty());
    }

    void windowHasNoTitleBarAndTheDesignSize() {
        testsupport::ScriptedPrompts prompts;
        shell::frmPresentacion splash(prompts);
        // The four labels sized to their text keep only an edge of their place.
        QCOMPARE(testsupport::misplacedControls(
                     splash, shell::frmPresentacion::designLayout(),
                     {"lblProductName", "lblCompanyProduct", "lblPlatform", "lblVersion"}),
                 QStringList());
        QCOMPARE(splash.minimumSize(), splash.maximumSize());
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.windowType(), Qt::SplashScreen);
        QCOMPARE(testsupport::clippedTexts(splash), QStringList());
    }

    void characterKeysCloseIt_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_Q) << true;
        QTest::newRow("digit") << int(Qt::Key_7) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("function key") << int(Qt::Key_F1) << false;
        QTest::newRow("Shift") << int(Qt::Key_Shift) << false;
    }

    void characterKeysCloseIt() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        testsupport::ScriptedPrompts prompts;
        shell::frmPresentacion splash(prompts);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QTest::keyClick(&splash, static_cast<Qt::Key>(key));
        QCOMPARE(splash.isVisible(), !closes);
    }

    void aClickOnTheFrameClosesItButNotOnALabelOrTheLogo_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("closes");
        QTest::newRow("product name") << "lblProductName" << false;
        QTest::newRow("web address") << "lblCompanyProduct" << false;
        QTest::newRow("copyright") << "lblCopyright" << false;
        QTest::newRow("invitation") << "lblWarning" << false;
        QTest::newRow("logo") << "imgLogo" << false;
        QTest::newRow("frame") << "Frame1" << true;
    }

    void aClickOnTheFrameClosesItButNotOnALabelOrTheLogo() {
        QFETCH(QString, target);
        QFETCH(bool, closes);
        testsupport::ScriptedPrompts prompts;
        shell::frmPresentacion splash(prompts);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        auto* widget = splash.findChild<QWidget*>(target);
        QVERIFY(widget != nullptr);
        // The frame's free area: left of the version, below the platform text.
        const QPoint point =
            target == "Frame1" ? QPoint(widget->width() - 8, 8) : widget->rect().center();
        QCOMPARE(widget->childAt(point), nullptr);
        QTest::mouseClick(widget, Qt::LeftButton, {}, point);
        QCOMPARE(splash.isVisible(), !closes);
    }

    void startUpShowsTheSplashOnlyWhileTheMainWindowLoads() {
        testsupport::ScriptedPrompts prompts;
        bool splashUpDuringLoad = false;
        std::unique_ptr<QWidget> mainWindow = modPrincipal::Main(prompts, [&] {
            splashUpDuringLoad = splashesAlive() == 1;
            auto window = std::make_unique<QWidget>();
            window->setObjectName("frmPrincipal");
            return window;
        });
        QVERIFY(splashUpDuringLoad);
        QVERIFY(mainWindow->isVisible());
        QCOMPARE(splashesAlive(), 0);
        mainWindow.reset();

        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 modPrincipal::Main(prompts, []() -> std::unique_ptr<QWidget> {
                                     throw std::runtime_error("load failed");
                                 }));
        QCOMPARE(splashesAlive(), 0);
    }

    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }
};

QTEST_MAIN(tst_frmPresentacion)
#include "frmPresentacionTest.moc"
