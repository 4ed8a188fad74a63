// What every window shares: where button pictures come from, the secondary-window frame (its
// place on the screen, the keys that press nothing).
#include "shell/Icons.h"
#include "shell/SecondaryWindow.h"
#include "tests/support/TestPaths.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <fstream>

using shell::Picture;

namespace {

constexpr Picture kEveryPicture[] = {Picture::New,
                                     Picture::Open,
                                     Picture::Close,
                                     Picture::Export,
                                     Picture::About,
                                     Picture::Exit,
                                     Picture::Select,
                                     Picture::Cancel,
                                     Picture::AddField,
                                     Picture::DeleteField,
                                     Picture::CreateTable,
                                     Picture::FirstRecord,
                                     Picture::PreviousRecord,
                                     Picture::NextRecord,
                                     Picture::LastRecord};

QImage image(const QIcon& icon) { return icon.pixmap(32, 32).toImage(); }

// A desktop icon theme in a scratch folder, holding a picture for each of the given names.
class FakeTheme {
public:
    explicit FakeTheme(const QStringList& names) {
        const std::filesystem::path theme = m_dir / "fake";
        std::filesystem::create_directories(theme / "32x32");
        std::ofstream(theme / "index.theme") << "[Icon Theme]\nName=fake\nDirectories=32x32\n\n"
                                                "[32x32]\nSize=32\nType=Fixed\n";
        QImage square(32, 32, QImage::Format_ARGB32);
        square.fill(Qt::magenta);
        for (const QString& name : names) {
            square.save(QString::fromStdString((theme / "32x32").string()) + "/" + name + ".png");
        }
        QIcon::setThemeSearchPaths({QString::fromStdString(m_dir.path().string())});
        QIcon::setThemeName("fake");
    }
    ~FakeTheme() {
        QIcon::setThemeName(QString());
        QIcon::setThemeSearchPaths({});
    }

private:
    testsupport::TempDir m_dir;
};

}  // namespace

class tst_WindowDesign : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void picturesComeFromTheThemeThenTheStyleThenOurDrawing_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QStringList>("themeHas");
        QTest::addColumn<QString>("source");
        QTest::newRow("theme first")
            << int(Picture::Select) << QStringList({"dialog-ok"}) << "theme";
        QTest::newRow("second theme name")
            << int(Picture::Open) << QStringList({"folder-open"}) << "theme";
        QTest::newRow("style when the theme lacks it")
            << int(Picture::Select) << QStringList() << "style";
        QTest::newRow("theme for a field button")
            << int(Picture::AddField) << QStringList({"list-add"}) << "theme";
        QTest::newRow("our drawing where the style has none")
            << int(Picture::AddField) << QStringList() << "drawing";
        QTest::newRow("our drawing for Exit")
            << int(Picture::Exit) << QStringList({"list-add"}) << "drawing";
    }

    void picturesComeFromTheThemeThenTheStyleThenOurDrawing() {
        QFETCH(int, which);
        QFETCH(QStringList, themeHas);
        QFETCH(QString, source);
        const auto picture = static_cast<Picture>(which);
        FakeTheme theme(themeHas);
        const QIcon icon = shell::picture(picture, QApplication::style());
        QVERIFY(!icon.isNull());
        const QImage drawn = image(shell::ownPicture(picture));
        QString from = "style";
        if (image(icon).pixelColor(16, 16) == QColor(Qt::magenta)) from = "theme";
        if (image(icon) == drawn) from = "drawing";
        QCOMPARE(from, source);
        // Without a style to ask, the drawing stands in for the style's picture.
        if (source != "theme") QCOMPARE(image(shell::picture(picture, nullptr)), drawn);
    }

    void everyPictureHasADrawingOfItsOwn() {
        QList<QImage> drawings;
        for (Picture picture : kEveryPicture) {
            const QImage drawn = image(shell::ownPicture(picture));
            // A resource that did not load would render as nothing at all.
            int painted = 0;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) painted += qAlpha(drawn.pixel(x, y)) > 0;
            }
            QVERIFY2(painted > 50, qPrintable(QString::number(int(picture))));
            QVERIFY2(!drawings.contains(drawn), qPrintable(QString::number(int(picture))));
            drawings << drawn;
        }
        const QImage logo = shell::logoPixmap(64).toImage();
        QCOMPARE(logo.size(), QSize(64, 64));
        QCOMPARE(logo.pixelColor(32, 4).alpha(), 255);  // the tile reaches near the top
        QCOMPARE(logo.pixelColor(0, 0).alpha(), 0);     // but its corners are round
        // A tinted picture keeps the shape and takes the colour.
        const QImage tinted = image(shell::tintedPicture(Picture::NextRecord, Qt::red));
        QCOMPARE(tinted.pixelColor(14, 16), QColor(Qt::red));
        QCOMPARE(tinted.pixelColor(1, 1).alpha(), 0);
    }

    void secondaryWindowOpensCentredOnTheScreenAndStaysWhereItIsPut() {
        QWidget owner;
        owner.setGeometry(10, 10, 120, 80);
        owner.show();
        shell::SecondaryWindow window(&owner);
        window.setFixedSize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint screenCentre = window.screen()->availableGeometry().center();
        QVERIFY(qAbs(window.frameGeometry().center().x() - screenCentre.x()) <= 1);
        QVERIFY(qAbs(window.frameGeometry().center().y() - screenCentre.y()) <= 1);
        QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowContextHelpButtonHint));

        window.move(30, 40);
        const QPoint moved = window.pos();
        window.hide();
        window.show();
        QCOMPARE(window.pos(), moved);
    }

    void enterAndEscapePressNothingButAListStillTakesEnter() {
        shell::SecondaryWindow window;
        auto* list = new QListWidget(&window);
        list->addItems({"one", "two"});
        list->setCurrentRow(1);
        QSignalSpy activated(list, &QListWidget::itemActivated);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        list->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(list, key);
            QVERIFY(window.isVisible());
        }
        QCOMPARE(activated.count(), 2);
    }
};

QTEST_MAIN(tst_WindowDesign)
#include "WindowDesignTest.moc"
