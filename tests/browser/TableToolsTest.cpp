// The grid menu's table tools as a user works them: reopening with the code page whose preview
// reads right, converting the code page, and repairing from the open warnings' box.
#include "browser/CodePageDialog.h"
#include "browser/DataGrid.h"
#include "browser/frmPrincipal.h"
#include "engine/Recordset.h"
#include "tests/browser/MainWindowTest.h"
#include "tests/support/DbfBuilder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowServices.h"

#include <QAction>
#include <QButtonGroup>
#include <QTreeWidget>

#include <fstream>
#include <iterator>

using platform::MessageButtons;
using platform::MessageResult;

namespace {

// "Жук" and "Ёж" in code page 866, in a table that says it is in 1252.
std::filesystem::path misreadTable(const std::filesystem::path& folder) {
    return testsupport::DbfBuilder(0x03)
        .field("NAME", 'C', 8)
        .field("AGE", 'N', 3)
        .languageDriver(0x03)
        .record({"\x86\xE3\xAA", "1"})
        .record({"\xF0\xA6", "2"})
        .write(folder, "BEETLE");
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

class tst_TableTools : public browsertest::MainWindowTest {
    Q_OBJECT

    QString cell(int row, int column) {
        return grid()->model()->index(row, column).data().toString();
    }
    engine::DataControl& data() { return m_window->dataControl(); }
    std::vector<testsupport::ScriptedPrompts::Question> messages() {
        return m_services->prompts.messages();
    }
    // Triggers the menu entry with the code page dialog answered: choose encoding and accept
    // (the preview's rows seen first by look), or cancel when encoding is "".
    void throughDialog(const char* action, const std::string& encoding,
                       const std::function<void(QTreeWidget&)>& look = {}) {
        m_services->workModal = [&](QDialog& dialog) {
            auto& chooser = dynamic_cast<browser::CodePageDialog&>(dialog);
            if (look) look(*dialog.findChild<QTreeWidget*>("codePageList"));
            if (encoding.empty() || !chooser.choose(encoding)) return dialog.reject();
            dialog.accept();
        };
        m_window->findChild<QAction*>(action)->trigger();
        QCoreApplication::processEvents();
        m_services->workModal = nullptr;
    }

private slots:
    void init() { start(); }
    void cleanup() { stop(); }

    void thePreviewShowsWhichCodePageReadsRightAndReopeningUsesIt() {
        const auto table = misreadTable(m_temp->path());
        openTable(table);
        QCOMPARE(cell(0, 0), QString("\u2020\u00E3\u00AA"));    // as 1252 reads it
        grid()->setCurrentIndex(grid()->model()->index(0, 1));  // AGE holds no text: NAME shows
        QString shownFor866, shownForCurrent;
        throughDialog("gridReopenCodePage", "866", [&](QTreeWidget& list) {
            for (int i = 0; i < list.topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = list.topLevelItem(i);
                if (item->text(0).startsWith("866 ")) shownFor866 = item->text(1);
                if (item->text(0).endsWith("(now)")) shownForCurrent = item->text(0);
            }
        });
        QCOMPARE(shownFor866, QString("Жук  |  Ёж"));
        QCOMPARE(shownForCurrent, QString("1252 (Windows ANSI)  (now)"));
        QCOMPARE(data().Encoding(), std::string("866"));
        QCOMPARE(cell(0, 0), QString("Жук"));
        QCOMPARE(data().GetRecordset()->RecordCount(), 2L);
        // Cancelled: nothing changes.
        throughDialog("gridReopenCodePage", "");
        QCOMPARE(data().Encoding(), std::string("866"));
        QVERIFY(messages().empty());
    }

    void convertingRewritesTheTextOrRefusesWithTheTableAsItWas() {
        const auto table = misreadTable(m_temp->path());
        openTable(table);
        throughDialog("gridReopenCodePage", "866");
        // Into 1252, which has no Ж: refused, and the table is back as it was.
        m_services->prompts.messageAnswers = {MessageResult::Ok};
        throughDialog("gridConvertCodePage", "1252");
        QCOMPARE(messages().size(), std::size_t{2});
        QVERIFY(messages()[1].text.find("field NAME: the character U+0416") != std::string::npos);
        QCOMPARE(cell(0, 0), QString("Жук"));
        QVERIFY(!std::filesystem::exists(table.string() + ".bak"));

        m_services->prompts.messageAnswers = {MessageResult::Ok};
        throughDialog("gridConvertCodePage", "1251");
        QCOMPARE(messages().size(), std::size_t{4});
        QCOMPARE(messages()[3].text, std::string("Converted BEETLE.dbf to code page 1251 "
                                                 "(Cyrillic Windows): 2 values re-encoded. The "
                                                 "old files are now BEETLE.dbf.bak."));
        QCOMPARE(data().Encoding(), std::string());
        QCOMPARE(cell(1, 0), QString("Ёж"));
        QVERIFY(fileBytes(table).find("\xC6\xF3\xEA") != std::string::npos);
    }

    void theOpenWarningsOfferARepairThatReopensTheTable() {
        // The header counts 1 record of the 2 the file holds.
        const auto table = testsupport::DbfBuilder(0x03)
                               .field("NAME", 'C', 6)
                               .record({"Ann"})
                               .record({"Bob"})
                               .declaredCount(1)
                               .write(m_temp->path(), "HIDDEN");
        m_services->prompts.messageAnswers = {MessageResult::Repair, MessageResult::Ok};
        openTable(table);
        const auto asked = messages();
        QCOMPARE(asked.size(), std::size_t{3});
        QCOMPARE(asked[0].buttons, MessageButtons::OkRepair);
        QVERIFY(asked[1].text.find("Repair HIDDEN.dbf? Repair will:\n- header: raise the count "
                                   "to 2") == 0);
        QVERIFY(asked[2].text.find("Repaired HIDDEN.dbf:\n- header: raised the count to 2") == 0);
        QCOMPARE(data().GetRecordset()->RecordCount(), 2L);
        QCOMPARE(cell(1, 0), QString("Bob"));

        // Repaired, then the table cannot be opened again: the failure says what was repaired.
        std::fstream(table, std::ios::binary | std::ios::in | std::ios::out).seekp(4).put('\1');
        m_services->prompts.asked.clear();
        m_services->prompts.messageAnswers = {MessageResult::Repair, MessageResult::Ok};
        m_services->prompts.onProgressClosed = [&](const auto& report) {
            if (report.text.rfind("Repairing", 0) == 0) std::filesystem::remove(table);
        };
        openTable(table);
        m_services->prompts.onProgressClosed = nullptr;
        const auto told = messages();
        QCOMPARE(told.size(), std::size_t{3});
        QVERIFY(told[2].text.find("Repaired HIDDEN.dbf:") == 0);
        QVERIFY(told[2].text.find("no such table file") != std::string::npos);
    }
};

QTEST_MAIN(tst_TableTools)
#include "TableToolsTest.moc"
