#include "engine/TableDefinition.h"
#include "shell/DirListBox.h"
#include "tablecreate/Dbase.h"
#include "tablecreate/frmNuevaTabla.h"
#include "tablecreate/frmSelCarpeta.h"
#include "tests/support/FormatOptions.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TextFit.h"
#include "tests/support/WindowServices.h"
#include "tests/tablecreate/CreatedTable.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>

namespace {

// One window over one fixture, with short ways to its controls.
struct Window {
    testsupport::WindowServices fixture;
    testsupport::FormatOptions formats;
    tablecreate::Dbase dbase;
    testsupport::TempDir dir;
    tablecreate::frmNuevaTabla window{fixture.services, dbase, formats.optDBFVersion};

    template <typename T = QWidget>
    T* get(const char* name) {
        T* control = window.findChild<T*>(name);
        if (control == nullptr) qFatal("no control %s", name);
        return control;
    }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    void click(const char* name) { QTest::mouseClick(get(name), Qt::LeftButton); }
    void chooseType(const QString& type) {
        QComboBox* types = get<QComboBox>("cboTipoDatos");
        types->setCurrentIndex(types->findText(type));
    }
    void accept(const QString& table = "NEWTABLE") {
        edit("txtBaseDeDatos")->setText(QString::fromStdString(dir.path().string()));
        edit("txtNombreTabla")->setText(table);
        click("cmdAceptar");
    }
    void addField(const QString& name, const QString& type, const QString& length) {
        edit("txtNombreCampo")->setText(name);
        if (!type.isEmpty()) chooseType(type);
        if (!length.isNull()) edit("txtLength")->setText(length);
        click("cmdAgregar");
    }
    QStringList listed() {
        QStringList names;
        QListWidget* list = get<QListWidget>("lstCampos");
        for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
        return names;
    }
    QStringList defined() {
        QStringList names;
        if (dbase.definition() == nullptr) return names;
        const engine::FieldDefCollection& fields = dbase.definition()->Fields();
        for (int i = 0; i < fields.Count(); ++i) {
            names << QString::fromStdString(fields.Item(i).Name());
        }
        return names;
    }
};

const char* const kFieldControls[] = {"lstCampos",  "txtNombreCampo", "cboTipoDatos", "txtLength",
                                      "cmdAgregar", "cmdEliminar",    "cmdCrear"};

}  // namespace

class frmNuevaTablaTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void initialState();
    void tabOrderAndFirstFocus();
    void enterAndEscapeTriggerNoButton();
    void acceptUsesTheMainWindowsVersion_data();
    void acceptUsesTheMainWindowsVersion();
    void typeChoiceSetsTheLengthBox();
    void validationMessages_data();
    void validationMessages();
    void refusalsAreReportedAndListNothing();
    void listFollowsTheDefinition();
    void failedAcceptKeepsListAndDefinition();
    void createWritesTheTableAndCloses();
    void failedCreateLeavesTheWindowOpen();
    void closeCreatesNothing();
    void browseWritesThePickedFolder();
};

void frmNuevaTablaTest::cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

void frmNuevaTablaTest::initialState() {
    Window w;
    QCOMPARE(w.window.windowTitle(), QString("Create new DBase file"));
    QCOMPARE(testsupport::misplacedControls(w.window, tablecreate::frmNuevaTabla::designLayout()),
             QStringList());

    struct Control {
        const char* name;
        const char* caption;  // text, title or tooltip
        bool enabled;
    };
    const Control controls[] = {
        {"lblLabels_1", "Database (folder):", true},
        {"txtBaseDeDatos", "", true},
        {"cmdExaminar", "&Browse", true},
        {"lblLabels_0", "Table name:", true},
        {"txtNombreTabla", "", true},
        {"cmdAceptar", "&Accept", true},
        {"lblLabels_2", "Fields list:", true},
        {"lstCampos", "", false},
        {"cmdAgregar", "Add new field", false},
        {"cmdEliminar", "Delete field", false},
        {"fraPropiedades", "Field properties:", true},
        {"lblLabels_3", "Name:", true},
        {"txtNombreCampo", "", false},
        {"lblLabels_4", "Type:", true},
        {"cboTipoDatos", "", false},
        {"lblLabels_5", "Length:", true},
        {"txtLength", "", false},
        {"cmdCrear", "Create", false},
        {"cmdCerrar", "Close", true},
    };
    for (const Control& c : controls) {
        QWidget* control = w.get(c.name);
        QVERIFY2(control->isEnabled() == c.enabled, c.name);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(control)) caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            caption = button->text().isEmpty() ? button->toolTip() : button->text();
        }
        if (auto* frame = qobject_cast<QGroupBox*>(control)) caption = frame->title();
        if (auto* edit = qobject_cast<QLineEdit*>(control)) caption = edit->text();
        QCOMPARE(caption, QString(c.caption));
    }
    QCOMPARE(testsupport::clippedTexts(w.window), QStringList());
    QCOMPARE(w.get("lstCampos")->parentWidget(), &w.window);
    QCOMPARE(w.get("txtLength")->parentWidget(), w.get("fraPropiedades"));

    QComboBox* types = w.get<QComboBox>("cboTipoDatos");
    QStringList items;
    for (int i = 0; i < types->count(); ++i) items << types->itemText(i);
    QCOMPARE(items, QStringList({"Boolean", "Date", "Double", "Integer", "Memo", "Text"}));
    QCOMPARE(types->currentIndex(), -1);
    QCOMPARE(w.get<QListWidget>("lstCampos")->count(), 0);
    for (QPushButton* button : w.window.findChildren<QPushButton*>()) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }
}

void frmNuevaTablaTest::tabOrderAndFirstFocus() {
    Window w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    QCOMPARE(QApplication::focusWidget(), w.get("txtBaseDeDatos"));

    w.accept();  // everything takes the focus from now on
    QVERIFY(w.fixture.prompts.asked.empty());
    w.get("txtBaseDeDatos")->setFocus();
    const QStringList expected = {
        "txtBaseDeDatos", "cmdExaminar", "txtNombreTabla", "lstCampos",   "cboTipoDatos",
        "txtNombreCampo", "txtLength",   "cmdAgregar",     "cmdEliminar", "cmdCerrar",
        "cmdCrear",       "cmdAceptar",  "txtBaseDeDatos"};
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
    w.window.close();
}

void frmNuevaTablaTest::enterAndEscapeTriggerNoButton() {
    Window w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    for (const char* name : {"txtBaseDeDatos", "cmdAceptar", "cmdExaminar"}) {
        w.get(name)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
    QVERIFY(w.window.isVisible());
    QVERIFY(w.fixture.prompts.asked.empty());
    QCOMPARE(w.fixture.modalShown, 0);
    QCOMPARE(w.dbase.database(), nullptr);
    w.window.close();
}

void frmNuevaTablaTest::acceptUsesTheMainWindowsVersion_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("version");  // -1: nothing accepted
    QTest::newRow("Dbase III") << 0 << int(engine::DbaseVersion::III);
    QTest::newRow("Dbase IV") << 1 << int(engine::DbaseVersion::IV);
    QTest::newRow("Dbase V") << 2 << int(engine::DbaseVersion::V);
    QTest::newRow("Excel: no dBASE driver") << 3 << -1;
}

void frmNuevaTablaTest::acceptUsesTheMainWindowsVersion() {
    QFETCH(int, option);
    QFETCH(int, version);
    Window w;
    w.formats.choose(option);
    w.accept();
    if (version < 0) {
        // The engine refuses an empty driver text; the refusal is reported and nothing enabled.
        QCOMPARE(w.dbase.database(), nullptr);
        QCOMPARE(w.fixture.prompts.messages().size(), std::size_t(1));
        QVERIFY(w.fixture.prompts.messages()[0].icon == platform::MessageIcon::Exclamation);
        for (const char* name : kFieldControls) QVERIFY2(!w.get(name)->isEnabled(), name);
    } else {
        QVERIFY(w.fixture.prompts.asked.empty());
        QCOMPARE(int(w.dbase.database()->version()), version);
        QCOMPARE(w.dbase.definition()->Name(), std::string("NEWTABLE"));
        for (const char* name : kFieldControls) QVERIFY2(w.get(name)->isEnabled(), name);
    }
    // "&Accept" disables nothing.
    for (const char* name : {"txtBaseDeDatos", "txtNombreTabla", "cmdExaminar", "cmdAceptar"}) {
        QVERIFY2(w.get(name)->isEnabled(), name);
    }
}

void frmNuevaTablaTest::typeChoiceSetsTheLengthBox() {
    Window w;
    w.accept();
    QLineEdit* length = w.edit("txtLength");
    struct Step {
        const char* type;
        bool enabled;
        const char* text;
    };
    const Step steps[] = {
        {"Boolean", false, "1"}, {"Text", true, "1"},  {"Date", false, "8"},
        {"Double", true, "8"},   {"Memo", false, "0"}, {"Integer", true, "0"},
    };
    for (const Step& step : steps) {
        w.chooseType(step.type);
        QVERIFY2(length->isEnabled() == step.enabled, step.type);
        QCOMPARE(length->text(), QString(step.text));
    }
    length->setText("25");
    w.chooseType("Text");
    QCOMPARE(length->text(), QString("25"));
    QVERIFY(w.fixture.prompts.asked.empty());
}

void frmNuevaTablaTest::validationMessages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("message");

    QTest::newRow("no name") << ""
                             << "Text"
                             << "10"
                             << "The Field Name value can not be null";
    QTest::newRow("no name, no length") << ""
                                        << ""
                                        << ""
                                        << "The Field Name value can not be null";
    QTest::newRow("no length") << "CODE"
                               << "Double"
                               << ""
                               << "The Length value can not be null";
    QTest::newRow("no length, no type") << "CODE"
                                        << ""
                                        << ""
                                        << "The Length value can not be null";
    QTest::newRow("no type") << "CODE"
                             << ""
                             << "10"
                             << "The Type value can not be null";
    QTest::newRow("no type, length not a number") << "CODE"
                                                  << ""
                                                  << "ten"
                                                  << "The Type value can not be null";
}

void frmNuevaTablaTest::validationMessages() {
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(QString, length);
    QFETCH(QString, message);
    Window w;
    w.accept();
    w.addField(name, type, length);
    const auto messages = w.fixture.prompts.messages();
    QCOMPARE(messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(messages[0].text), message);
    QCOMPARE(messages[0].title, std::string("Quillon FREE"));
    QVERIFY(messages[0].buttons == platform::MessageButtons::Ok);
    QVERIFY(messages[0].icon == platform::MessageIcon::None);
    QVERIFY(w.listed().isEmpty());
    QVERIFY(w.defined().isEmpty());
    QCOMPARE(w.edit("txtNombreCampo")->text(), name);
}

void frmNuevaTablaTest::refusalsAreReportedAndListNothing() {
    Window w;
    w.accept();
    struct Case {
        const char* name;
        const char* type;
        const char* length;
        const char* inMessage;
    };
    const Case cases[] = {
        {"1BAD", "Text", "10", ""},            // the engine's refusal of the name
        {" ", "Text", "10", ""},               // spaces pass the empty check, not the engine
        {"WIDE", "Text", "300", ""},           // a text field wider than the format allows
        {"QTY", "Integer", "ten", "\"ten\""},  // the length does not convert
        {"QTY", "Integer", "40000", "\"40000\""},
        {"QTY", "Integer", " ", "\" \""},
    };
    for (const Case& c : cases) {
        w.fixture.prompts.asked.clear();
        w.chooseType(c.type);
        w.edit("txtLength")->setText(c.length);
        w.edit("txtNombreCampo")->setText(c.name);
        w.click("cmdAgregar");
        const auto messages = w.fixture.prompts.messages();
        QVERIFY2(messages.size() == 1, c.name);
        QVERIFY(messages[0].icon == platform::MessageIcon::Exclamation);
        QCOMPARE(messages[0].title, std::string("Quillon FREE"));
        QVERIFY2(messages[0].text.find(c.inMessage) != std::string::npos, messages[0].text.c_str());
        QVERIFY(w.listed().isEmpty());
        QVERIFY(w.defined().isEmpty());
    }
}

void frmNuevaTablaTest::listFollowsTheDefinition() {
    Window w;
    w.accept();
    w.addField("CODE", "Text", "10");
    w.addField("QTY", "Integer", "5");
    w.addField("NOTES", "Memo", QString());
    w.addField("PRICE", "Double", "12.5");
    QCOMPARE(w.listed(), QStringList({"CODE", "QTY", "NOTES", "PRICE"}));
    QCOMPARE(w.defined(), w.listed());
    QCOMPARE(w.edit("txtNombreCampo")->text(), QString("PRICE"));  // the boxes keep their text
    QCOMPARE(w.edit("txtLength")->text(), QString("12.5"));
    QCOMPARE(w.dbase.definition()->Fields().Item(2).Type(), engine::kTypeMemo);
    QCOMPARE(w.dbase.definition()->Fields().Item(2).Size(), std::int16_t(0));
    QCOMPARE(w.dbase.definition()->Fields().Item(0).Size(), std::int16_t(10));

    // A duplicate is refused by the definition, so it is not listed.
    w.addField("code", "Text", "4");
    QCOMPARE(w.fixture.prompts.messages().size(), std::size_t(1));
    QCOMPARE(w.listed(), QStringList({"CODE", "QTY", "NOTES", "PRICE"}));

    QListWidget* list = w.get<QListWidget>("lstCampos");
    list->setCurrentRow(1);
    w.click("cmdEliminar");
    QCOMPARE(w.listed(), QStringList({"CODE", "NOTES", "PRICE"}));
    QCOMPARE(w.defined(), w.listed());
    QVERIFY(list->selectedItems().isEmpty());

    // Delete with nothing selected: the engine finds no field "", the list stays.
    w.fixture.prompts.asked.clear();
    w.click("cmdEliminar");
    QCOMPARE(w.fixture.prompts.messages().size(), std::size_t(1));
    QCOMPARE(w.listed(), QStringList({"CODE", "NOTES", "PRICE"}));
    QCOMPARE(w.defined(), w.listed());

    // A further "&Accept" starts an empty definition, and the list empties with it.
    w.fixture.prompts.asked.clear();
    w.accept("OTHER");
    QVERIFY(w.fixture.prompts.asked.empty());
    QVERIFY(w.listed().isEmpty());
    QVERIFY(w.defined().isEmpty());
    w.addField("ONLY", "Boolean", QString());
    QCOMPARE(w.listed(), QStringList({"ONLY"}));
    QCOMPARE(w.defined(), w.listed());
    QVERIFY2(std::filesystem::is_empty(w.dir.path()), "nothing is written before Create");
}

void frmNuevaTablaTest::failedAcceptKeepsListAndDefinition() {
    Window w;
    w.accept();
    w.addField("CODE", "Text", "10");
    const engine::TableDef* definition = w.dbase.definition();
    const struct {
        const char* folder;
        const char* table;
    } failures[] = {{"/no/such/folder", "T"}, {nullptr, ""}, {nullptr, "a/b"}};
    for (const auto& failure : failures) {
        w.fixture.prompts.asked.clear();
        if (failure.folder != nullptr) {
            w.edit("txtBaseDeDatos")->setText(failure.folder);
            w.edit("txtNombreTabla")->setText(failure.table);
            w.click("cmdAceptar");
        } else {
            w.accept(failure.table);
        }
        QCOMPARE(w.fixture.prompts.messages().size(), std::size_t(1));
        QCOMPARE(w.listed(), QStringList({"CODE"}));
        QCOMPARE(w.dbase.definition(), definition);
    }
}

void frmNuevaTablaTest::createWritesTheTableAndCloses() {
    Window w;
    w.formats.choose(1);
    w.window.show();
    w.accept("ALLTYPES");
    w.addField("ACTIVE", "Boolean", QString());
    w.addField("BORN", "Date", QString());
    w.addField("PRICE", "Double", "12");
    w.addField("QTY", "Integer", "4");
    w.addField("NOTES", "Memo", QString());
    w.addField("NAME", "Text", "30");
    w.addField("GONE", "Text", "5");
    w.get<QListWidget>("lstCampos")->setCurrentRow(6);
    w.click("cmdEliminar");
    w.click("cmdCrear");
    QVERIFY(w.fixture.prompts.asked.empty());
    QVERIFY(!w.window.isVisible());
    QCOMPARE(w.window.result(), int(QDialog::Accepted));

    auto table = testsupport::findTableFile(w.dir.path(), "ALLTYPES", "dbf");
    QVERIFY(table);
    QVERIFY(testsupport::findTableFile(w.dir.path(), "ALLTYPES", "dbt"));
    QCOMPARE(QString::fromStdString(testsupport::describeWithDbfread(*table)),
             QString("ACTIVE L 1 0\nBORN D 8 0\nPRICE N 20 5\nQTY N 6 0\nNOTES M 10 0\n"
                     "NAME C 30 0\nrecords 0\n"));
}

void frmNuevaTablaTest::failedCreateLeavesTheWindowOpen() {
    Window w;
    std::ofstream(w.dir / "taken.dbf") << "someone else's table";
    w.window.show();
    w.accept("TAKEN");
    w.addField("CODE", "Text", "10");
    w.click("cmdCrear");
    QCOMPARE(w.fixture.prompts.messages().size(), std::size_t(1));
    QVERIFY(w.fixture.prompts.messages()[0].icon == platform::MessageIcon::Exclamation);
    QVERIFY(w.window.isVisible());
    QCOMPARE(testsupport::fileContents(w.dir / "taken.dbf"), std::string("someone else's table"));

    // Under another name the same window goes on to create it.
    w.accept("FREE");
    w.addField("CODE", "Text", "10");
    w.click("cmdCrear");
    QVERIFY(!w.window.isVisible());
    QVERIFY(testsupport::findTableFile(w.dir.path(), "FREE", "dbf"));
}

void frmNuevaTablaTest::closeCreatesNothing() {
    Window w;
    w.window.show();
    w.accept();
    w.addField("CODE", "Text", "10");
    w.click("cmdCerrar");
    QVERIFY(!w.window.isVisible());
    QCOMPARE(w.window.result(), int(QDialog::Rejected));
    QVERIFY(std::filesystem::is_empty(w.dir.path()));
    QCOMPARE(w.dbase.definition()->Fields().Count(), 1);  // pending, never appended
}

void frmNuevaTablaTest::browseWritesThePickedFolder() {
    Window w;
    testsupport::TempDir picked;
    std::filesystem::create_directory(picked / "sub");
    const QString sub = QString::fromStdString((picked / "sub").string());
    QWidget* pickerParent = nullptr;
    w.fixture.workModal = [&](QDialog& dialog) {
        auto* picker = qobject_cast<tablecreate::frmSelCarpeta*>(&dialog);
        QVERIFY(picker != nullptr);
        pickerParent = picker->parentWidget();
        picker->findChild<shell::DirListBox*>("Dir1")->setPath(sub);
        QTest::mouseClick(picker->findChild<QToolButton*>("cmdAceptar"), Qt::LeftButton);
    };
    w.edit("txtBaseDeDatos")->setText("typed before");
    w.click("cmdExaminar");
    QCOMPARE(w.fixture.modalShown, 1);
    QCOMPARE(pickerParent, &w.window);
    QCOMPARE(w.edit("txtBaseDeDatos")->text(), sub);

    // Cancel in the picker leaves the box as it was.
    w.fixture.workModal = [](QDialog& dialog) {
        QTest::mouseClick(dialog.findChild<QToolButton*>("cmdCancelar"), Qt::LeftButton);
    };
    w.click("cmdExaminar");
    QCOMPARE(w.edit("txtBaseDeDatos")->text(), sub);
    QVERIFY(w.fixture.prompts.asked.empty());
}

QTEST_MAIN(frmNuevaTablaTest)
#include "frmNuevaTablaTest.moc"
