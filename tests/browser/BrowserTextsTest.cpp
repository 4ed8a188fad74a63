// The position caption and the printer's refusal when the system has no printer.
#include "browser/QtSheetPrinter.h"
#include "browser/RecordCaption.h"

#include <QPrinterInfo>
#include <QTest>

#include <stdexcept>

class tst_BrowserTexts : public QObject {
    Q_OBJECT

private slots:
    void positionCaption_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("caption");
        QTest::newRow("first of twelve") << 0 << 12 << false << "Record: 0/12";
        QTest::newRow("last of twelve") << 11 << 12 << false << "Record: 11/12";
        QTest::newRow("empty table") << -1 << 0 << false << "Record: -1/0";
        QTest::newRow("read only") << 0 << 3 << true << "Record: 0/3 (read only)";
        QTest::newRow("past the end, read only") << -1 << 3 << true << "Record: -1/3 (read only)";
    }

    void positionCaption() {
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(bool, readOnly);
        QFETCH(QString, caption);
        QCOMPARE(QString::fromStdString(browser::recordCaption(position, count, readOnly)),
                 caption);
    }

    void printingWithoutAPrinterFailsWithAClearDescription() {
        if (!QPrinterInfo::defaultPrinter().isNull()) QSKIP("this system has a printer");
        browser::QtSheetPrinter printer;
        try {
            printer.print({"Book1 - Sheet1", {{"a", "b"}}, 1, false});
            QFAIL("printed without a printer");
        } catch (const std::runtime_error& failure) {
            QCOMPARE(QString(failure.what()), QString("No printer is installed."));
        }
    }
};

QTEST_MAIN(tst_BrowserTexts)
#include "BrowserTextsTest.moc"
