#include "browser/frmSelArchivo.h"

#include "engine/DataControl.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "shell/Icons.h"
#include "shell/Twips.h"
#include "ui_frmSelArchivo.h"

#include <QButtonGroup>
#include <QCheckBox>

namespace browser {

namespace {

constexpr int kWorkbookOption = 3;

constexpr shell::ControlPlace kPlaces[] = {
    {"Dir1", 120, 600, 2500, 4140},        {"Drive1", 120, 120, 5115, 315},
    {"File1", 2760, 600, 2500, 4185},      {"cmdAceptar", 5400, 3930, 975, 855},
    {"cmdCancelar", 5400, 3000, 975, 855},
};
constexpr shell::WindowLayout kLayout{6480, 4860, kPlaces};

}  // namespace

void writeOpenChoice(engine::DataControl& dtcDbf, bool readOnly, bool workbook,
                     const QString& folder, const QString& fileName) {
    dtcDbf.SetReadOnly(readOnly);
    if (workbook) {
        dtcDbf.SetRecordsetType(engine::DataControl::kSnapshot);
        dtcDbf.SetConnect("Excel 8.0;");
        dtcDbf.SetDatabaseName((folder + "/" + fileName).toStdString());
        dtcDbf.SetRecordSource("Sheet1$");
    } else {
        dtcDbf.SetRecordsetType(engine::DataControl::kDynaset);
        dtcDbf.SetDatabaseName(folder.toStdString());
        dtcDbf.SetRecordSource(fileName.toStdString());
    }
}

frmSelArchivo::frmSelArchivo(shell::AppServices& services, engine::DataControl& dataControl,
                             const QCheckBox& readOnlyBox, const QButtonGroup& formatOptions,
                             QWidget* parent)
    : shell::SecondaryWindow(parent),
      ui(std::make_unique<Ui::frmSelArchivo>()),
      m_services(services),
      dtcDbf(dataControl),
      chkSoloLectura(readOnlyBox),
      optDBFVersion(formatOptions) {
    ui->setupUi(this);
    applyDesign();

    platform::Prompts& prompts = services.prompts;
    shell::connectHandler(ui->Drive1, &shell::DriveListBox::Change, this, prompts,
                          [this] { Drive1_Change(); });
    shell::connectHandler(ui->Dir1, &shell::DirListBox::Change, this, prompts,
                          [this] { Dir1_Change(); });
    shell::connectHandler(ui->File1, &shell::FileListBox::DblClick, this, prompts,
                          [this] { File1_DblClick(); });
    shell::connectHandler(ui->cmdAceptar, &QToolButton::clicked, this, prompts,
                          [this] { cmdAceptar_Click(); });
    shell::connectHandler(ui->cmdCancelar, &QToolButton::clicked, this, prompts,
                          [this] { cmdCancelar_Click(); });
    Form_Load();
    ui->Dir1->setFocus();
}

frmSelArchivo::~frmSelArchivo() = default;

const shell::WindowLayout& frmSelArchivo::designLayout() { return kLayout; }

void frmSelArchivo::applyDesign() {
    const shell::TwipsScale twips(*this);
    setFixedSize(twips.size(kLayout.width, kLayout.height));
    shell::placeControls(*this, kLayout);
    shell::setPicture(*ui->cmdAceptar, shell::Picture::Select, twips.size(480, 480));
    shell::setPicture(*ui->cmdCancelar, shell::Picture::Cancel, twips.size(480, 480));
}

void frmSelArchivo::Form_Load() {
    shell::trapped(m_services.prompts, [this] { ui->File1->setPattern("*.dbf;*.xls"); });
}

void frmSelArchivo::Drive1_Change() { ui->Dir1->setPath(ui->Drive1->Drive()); }

void frmSelArchivo::Dir1_Change() { ui->File1->setPath(ui->Dir1->Path()); }

void frmSelArchivo::File1_DblClick() { cmdAceptar_Click(); }

void frmSelArchivo::cmdAceptar_Click() {
    shell::trapped(m_services.prompts, [this] {
        const QAbstractButton* workbook = optDBFVersion.button(kWorkbookOption);
        writeOpenChoice(dtcDbf, chkSoloLectura.checkState() == Qt::Checked,
                        workbook != nullptr && workbook->isChecked(), ui->Dir1->Path(),
                        ui->File1->FileName());
        accept();
    });
}

void frmSelArchivo::cmdCancelar_Click() {
    shell::trapped(m_services.prompts, [this] { reject(); });
}

}  // namespace browser
