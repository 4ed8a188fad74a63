#include "shell/frmAbout.h"
#include "tests/support/TextFit.h"
#include "tests/support/WindowServices.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

constexpr std::uint32_t kHklm = platform::kHkeyLocalMachine;
constexpr const char* kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kUnavailable = "System Information Is Unavailable At This Time";

}  // namespace

class frmAboutTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void showsTheTextsOfThisVersion();
    void okClosesTheWindowAndEscapeDoesNot();
    void startSysInfo_data();
    void startSysInfo();
    void failedStartShowsTheMessage();
    void getKeyValueBufferRules();
    void systemInfoButtonStartsTheProgram();
};

void frmAboutTest::cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

void frmAboutTest::showsTheTextsOfThisVersion() {
    testsupport::WindowServices s;
    shell::frmAbout window(s.services);
    QCOMPARE(window.windowTitle(), QString("About Quillon FREE"));
    QCOMPARE(window.findChild<QLabel*>("lblTitle")->text(), QString("Quillon FREE"));
    QCOMPARE(window.findChild<QLabel*>("lblVersion")->text(), QString("Version 1.0.1"));
    QCOMPARE(window.findChild<QLabel*>("lblDescription")->text(),
             QString("A tool for management of all DBase files. Create, add data, and export "
                     "files to Microsoft Excel."));
    const QString disclaimer = window.findChild<QLabel*>("lblDisclaimer")->text();
    QVERIFY(disclaimer.contains("example.org"));
    QVERIFY(!window.findChild<QLabel*>("picIcon")->pixmap().isNull());
    QCOMPARE(window.findChild<QPushButton*>("cmdOK")->text(), QString("OK"));
    QCOMPARE(window.findChild<QPushButton*>("cmdSysInfo")->text(), QString("&System Info..."));
    QCOMPARE(testsupport::clippedTexts(window), QStringList());
}

void frmAboutTest::okClosesTheWindowAndEscapeDoesNot() {
    testsupport::WindowServices s;
    shell::frmAbout window(s.services);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Return);
    QVERIFY(window.isVisible());
    QTest::mouseClick(window.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(s.prompts.asked.empty());
}

// Registry contents, files present, and what StartSysInfo makes of them.
void frmAboutTest::startSysInfo_data() {
    QTest::addColumn<QString>("pathValue");      // "-" for none
    QTest::addColumn<QString>("locationValue");  // "-" for none
    QTest::addColumn<bool>("programFileExists");
    QTest::addColumn<QString>("started");  // "" when nothing is started

    QTest::newRow("path value, even without the location entry")
        << "C:\\Tools\\sysinfo.exe"
        << "-" << false << "C:\\Tools\\sysinfo.exe";
    QTest::newRow("path value is not checked for existence, and wins over the location")
        << "/nowhere/sysinfo"
        << "C:\\Folder" << true << "/nowhere/sysinfo";
    QTest::newRow("location with the program in it")
        << "-"
        << "C:\\Folder" << true << "C:\\Folder\\MSINFO32.EXE";
    QTest::newRow("location without the program in it") << "-"
                                                        << "C:\\Folder" << false << "";
    QTest::newRow("nothing registered") << "-"
                                        << "-" << true << "";
    QTest::newRow("empty path value is used as it is") << ""
                                                       << "-" << false << "";
}

void frmAboutTest::startSysInfo() {
    QFETCH(QString, pathValue);
    QFETCH(QString, locationValue);
    QFETCH(bool, programFileExists);
    QFETCH(QString, started);

    testsupport::WindowServices s;
    if (pathValue != "-") s.registry.setString(kHklm, kPathKey, "PATH", pathValue.toStdString());
    if (locationValue != "-") {
        s.registry.setString(kHklm, kLocationKey, "MSINFO", locationValue.toStdString());
    }
    if (programFileExists) s.files.existing.insert("C:\\Folder\\MSINFO32.EXE");
    // The launcher refuses an empty path, as the real one does.
    if (pathValue.isEmpty()) s.launcher.failure = "Cannot start a program: no program path.";

    shell::frmAbout window(s.services);
    window.StartSysInfo();

    if (started.isEmpty()) {
        QVERIFY(s.launcher.started.empty());
        const auto messages = s.prompts.messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].text, std::string(kUnavailable));
        QCOMPARE(messages[0].title, std::string("Quillon FREE"));
        QVERIFY(messages[0].buttons == platform::MessageButtons::Ok);
        QVERIFY(messages[0].icon == platform::MessageIcon::None);
    } else {
        QCOMPARE(s.launcher.started, std::vector<std::string>{started.toStdString()});
        QVERIFY(s.prompts.asked.empty());
    }
    if (pathValue != "-") {
        QVERIFY(s.files.probed.empty());  // the registered path is taken on trust
    }
    QCOMPARE(s.registry.openKeys(), std::size_t(0));
    for (std::size_t size : s.registry.bufferSizes) QCOMPARE(size, std::size_t(1024));
}

void frmAboutTest::failedStartShowsTheMessage() {
    testsupport::WindowServices s;
    s.registry.setString(kHklm, kPathKey, "PATH", "/usr/bin/tool");
    s.launcher.failure = "Cannot start the program \"/usr/bin/tool\": Permission denied.";
    shell::frmAbout window(s.services);
    window.StartSysInfo();
    QCOMPARE(s.prompts.messages().size(), std::size_t(1));
    QCOMPARE(s.prompts.messages()[0].text, std::string(kUnavailable));
}

void frmAboutTest::getKeyValueBufferRules() {
    testsupport::WindowServices s;
    const std::string fits(1023, 'a');     // 1023 characters and the zero: 1024 bytes
    const std::string tooLong(1024, 'b');  // 1025 bytes with the zero
    s.registry.setString(kHklm, "K", "fits", fits);
    s.registry.setString(kHklm, "K", "tooLong", tooLong);
    s.registry.setValue(kHklm, "K", "unterminated", {platform::kRegSz, {'x', 'y'}});
    s.registry.setValue(kHklm, "K", "twoZeros", {platform::kRegSz, {'x', 0, 0}});
    s.registry.setValue(kHklm, "K", "empty", {platform::kRegSz, {}});
    s.registry.setValue(kHklm, "K", "expandable", {2, {'%', 'x', '%', 0}});
    s.registry.setValue(kHklm, "K", "number", {4, {1, 0, 0, 0}});
    s.registry.denyOpen(kHklm, "Denied");
    shell::frmAbout window(s.services);

    struct Case {
        const char* key;
        const char* name;
        bool found;
        std::string value;
    };
    const Case cases[] = {
        {"K", "fits", true, fits},         {"K", "tooLong", false, ""},
        {"K", "unterminated", true, "xy"}, {"K", "twoZeros", true, std::string("x\0", 2)},
        {"K", "empty", true, ""},          {"K", "expandable", false, ""},
        {"K", "number", false, ""},        {"K", "missing", false, ""},
        {"Missing", "fits", false, ""},    {"Denied", "fits", false, ""},
    };
    int opened = 0;
    for (const Case& c : cases) {
        std::string value = "stale";
        const bool found = window.GetKeyValue(kHklm, c.key, c.name, value);
        QVERIFY2(found == c.found, c.name);
        QVERIFY2(value == c.value, c.name);
        if (std::string(c.key) == "K") ++opened;
    }
    QCOMPARE(s.registry.closes, opened);
    QCOMPARE(s.registry.openKeys(), std::size_t(0));
}

void frmAboutTest::systemInfoButtonStartsTheProgram() {
    testsupport::WindowServices s;
    s.registry.setString(kHklm, kPathKey, "PATH", "/usr/bin/sysinfo");
    shell::frmAbout window(s.services);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    QCOMPARE(s.launcher.started, std::vector<std::string>{"/usr/bin/sysinfo"});
    QVERIFY(window.isVisible());
    window.close();
}

QTEST_MAIN(frmAboutTest)
#include "frmAboutTest.moc"
