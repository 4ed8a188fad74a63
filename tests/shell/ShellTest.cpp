// The reporter, the handler guard, the application's last net and the Qt prompts.
#include "shell/Handlers.h"
#include "shell/QtPrompts.h"
#include "shell/QuillonApplication.h"
#include "shell/modPrincipal.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestPaths.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <stdexcept>

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

namespace {

// Works the next modal dialog as soon as it is up.
void whenModalShows(std::function<void(QWidget&)> work) {
    QTimer::singleShot(0, [work = std::move(work)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        work(*modal);
    });
}

class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw std::runtime_error("Escaped the handler.");
        return QObject::event(event);
    }
};

}  // namespace

class tst_Shell : public QObject {
    Q_OBJECT

private slots:
    void reporterShowsTheDescriptionOnceWithTheApplicationTitle_data() {
        QTest::addColumn<QString>("description");
        QTest::newRow("engine failure") << "The file \"a.dbf\" is not a dBASE table.";
        QTest::newRow("empty description") << "";
    }

    void reporterShowsTheDescriptionOnceWithTheApplicationTitle() {
        QFETCH(QString, description);
        testsupport::ScriptedPrompts prompts;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        modPrincipal::MostrarError(prompts, std::runtime_error(description.toStdString()));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(prompts.asked.size(), 1u);
        const auto& box = prompts.asked.front();
        QCOMPARE(QString::fromStdString(box.text), description);
        QCOMPARE(box.title, std::string("Quillon FREE"));
        QVERIFY(box.buttons == MessageButtons::Ok);
        QVERIFY(box.icon == MessageIcon::Exclamation);
    }

    void versionTextJoinsTheThreeNumbers() {
        QCOMPARE(modPrincipal::versionText(), std::string("Version 1.0.1"));
    }

    void trappedHandlerKeepsEarlierEffectsAndSkipsTheRest() {
        testsupport::ScriptedPrompts prompts;
        std::vector<int> done;
        shell::trapped(prompts, [&] {
            done.push_back(1);
            done.push_back(2);
            throw std::runtime_error("third statement failed");
            done.push_back(4);  // never reached
        });
        QCOMPARE(done, std::vector<int>({1, 2}));
        QCOMPARE(prompts.asked.size(), 1u);
        QCOMPARE(prompts.asked.front().text, std::string("third statement failed"));
    }

    void guardedConnectionReportsAFailureInsteadOfUnwindingIntoQt() {
        testsupport::ScriptedPrompts prompts;
        QPushButton button;
        int calls = 0;
        shell::connectHandler(&button, &QPushButton::clicked, &button, prompts, [&] {
            ++calls;
            throw std::logic_error("not trapped by the handler");
        });
        button.click();
        button.click();
        QCOMPARE(calls, 2);
        QCOMPARE(prompts.messages().size(), 2u);
        QCOMPARE(prompts.messages().back().text, std::string("not trapped by the handler"));
    }

    void applicationReportsAFailureThatEscapedEventDelivery() {
        testsupport::ScriptedPrompts prompts;
        auto* application = qobject_cast<shell::QuillonApplication*>(QCoreApplication::instance());
        QVERIFY(application != nullptr);
        application->setPrompts(&prompts);
        ThrowingObject target;
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&target, &event));
        application->setPrompts(nullptr);
        QCOMPARE(prompts.messages().size(), 1u);
        QCOMPARE(prompts.messages().front().text, std::string("Escaped the handler."));
        QVERIFY(prompts.messages().front().icon == MessageIcon::Exclamation);
    }

    void fileFilterTakesQtsForm_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("export filter") << "Microsoft Excel files (*.xls)|*.xls"
                                       << "Microsoft Excel files (*.xls)";
        QTest::newRow("pattern not shown") << "Tables|*.dbf"
                                           << "Tables (*.dbf)";
        QTest::newRow("two entries, two patterns") << "Data|*.dbf;*.xls|All files|*.*"
                                                   << "Data (*.dbf *.xls);;All files (*.*)";
    }

    void fileFilterTakesQtsForm() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(shell::qtFileFilter(filter.toStdString()), expected);
    }

    void qtMessageBoxShowsWhatWasAskedAndReturnsTheButton() {
        shell::QtPrompts prompts;
        whenModalShows([](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            QVERIFY(box != nullptr);
            QCOMPARE(box->windowTitle(), QString("Replace records"));
            QCOMPARE(box->text(), QString("Are you sure ?"));
            QCOMPARE(box->icon(), QMessageBox::NoIcon);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QVERIFY(prompts.messageBox("Are you sure ?", MessageButtons::OkCancel, MessageIcon::None,
                                   "Replace records") == MessageResult::Cancel);

        whenModalShows([](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            QVERIFY(box != nullptr);
            QCOMPARE(box->windowTitle(), QString("Quillon FREE"));
            QCOMPARE(box->icon(), QMessageBox::Warning);
            box->button(QMessageBox::Ok)->click();
        });
        QVERIFY(prompts.messageBox("Failed.", MessageButtons::Ok, MessageIcon::Exclamation, "") ==
                MessageResult::Ok);
    }

    void qtInputBoxReturnsTheTextOrEmptyAfterCancel() {
        shell::QtPrompts prompts;
        whenModalShows([](QWidget& modal) {
            auto* dialog = qobject_cast<QInputDialog*>(&modal);
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windowTitle(), QString("Replace records"));
            QCOMPARE(dialog->labelText(), QString("Enter the field name:"));
            QTest::keyClicks(dialog->findChild<QLineEdit*>(), "NAME");
            dialog->accept();
        });
        QCOMPARE(prompts.inputBox("Enter the field name:", "Replace records"), std::string("NAME"));

        whenModalShows([](QWidget& modal) {
            QTest::keyClicks(modal.findChild<QLineEdit*>(), "typed");
            QTest::keyClick(&modal, Qt::Key_Escape);
        });
        QCOMPARE(prompts.inputBox("Enter the old value:", "Replace records"), std::string());
    }

    void qtSaveDialogOffersTheFiltersAndReportsTheChosenOne() {
        shell::QtPrompts prompts;
        testsupport::TempDir temp;
        const std::string filter = "Microsoft Excel files (*.xls)|*.xls|CSV, UTF-8 (*.csv)|*.csv";
        const QString target = QString::fromStdString((temp / "out").string());
        whenModalShows([](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->nameFilters(),
                     QStringList({"Microsoft Excel files (*.xls)", "CSV, UTF-8 (*.csv)"}));
            QCOMPARE(dialog->selectedNameFilter(), QString("Microsoft Excel files (*.xls)"));
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            dialog->reject();
        });
        QVERIFY(!prompts.saveFileName(filter).has_value());

        whenModalShows([target](QWidget& modal) {
            auto* dialog = qobject_cast<QFileDialog*>(&modal);
            QVERIFY(dialog != nullptr);
            dialog->selectNameFilter("CSV, UTF-8 (*.csv)");
            dialog->selectFile(target);
            static_cast<QDialog*>(dialog)->accept();
        });
        const std::optional<platform::SavedFileName> chosen = prompts.saveFileName(filter);
        QVERIFY(chosen.has_value());
        QCOMPARE(chosen->path, target.toStdString());
        QCOMPARE(chosen->filter, std::size_t{1});
    }

    void qtProgressShowsOnlyForLongWorkAndItsCancelIsHeard() {
        shell::QtPrompts prompts;
        auto visibleDialog = [] {
            return qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        };
        {
            std::unique_ptr<platform::ProgressReport> quick = prompts.progress("Quick", "Sorvela");
            for (long done = 1; done <= 10; ++done) {
                QTest::qWait(10);
                QVERIFY(quick->advance(done, 10));
                QVERIFY(visibleDialog() == nullptr);
            }
        }
        std::unique_ptr<platform::ProgressReport> report =
            prompts.progress("Exporting the table to out.xlsx...", "Sorvela");
        QElapsedTimer clock;
        clock.start();
        for (long done = 1; visibleDialog() == nullptr; ++done) {
            QVERIFY(report->advance(done, 100000));
            QVERIFY2(clock.elapsed() < 5000, "the progress dialog never appeared");
            QTest::qWait(5);
        }
        QProgressDialog* dialog = visibleDialog();
        QCOMPARE(dialog->windowTitle(), QString("Sorvela"));
        QCOMPARE(dialog->labelText(), QString("Exporting the table to out.xlsx..."));
        dialog->cancel();
        QTest::qWait(60);
        QVERIFY(!report->advance(99999, 100000));
    }

    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }
};

int main(int argc, char** argv) {
    shell::QuillonApplication application(argc, argv);
    tst_Shell test;
    return QTest::qExec(&test, argc, argv);
}

#include "ShellTest.moc"
