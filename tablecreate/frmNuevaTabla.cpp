#include "tablecreate/frmNuevaTabla.h"

#include "platform/Prompts.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "shell/Icons.h"
#include "shell/Twips.h"
#include "shell/modPrincipal.h"
#include "tablecreate/Dbase.h"
#include "tablecreate/FieldTypes.h"
#include "tablecreate/frmSelCarpeta.h"
#include "ui_frmNuevaTabla.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace tablecreate {

namespace {

// The main window's format options 0-2 and the driver each one creates tables with.
constexpr const char* kConnectByVersion[] = {"DBase III;", "DBase IV;", "DBase V;"};

constexpr shell::ControlPlace kPlaces[] = {
    {"lblLabels_1", 120, 240, 1335, 255},
    {"txtBaseDeDatos", 1560, 120, 3495, 375},
    {"cmdExaminar", 5160, 120, 1215, 375},
    {"lblLabels_0", 120, 720, 1335, 255},
    {"txtNombreTabla", 1560, 600, 3495, 375},
    {"cmdAceptar", 5160, 600, 1215, 375},
    // The separator runs from 120 to 6360 at 1200, drawn in the middle of its box.
    {"lineSeparator", 120, 1185, 6240, 30},
    {"lblLabels_2", 120, 1440, 855, 255},
    {"lstCampos", 120, 1800, 2295, 3570},
    {"cmdAgregar", 2760, 1920, 735, 735},
    {"cmdEliminar", 2760, 2880, 735, 735},
    {"fraPropiedades", 3720, 1800, 2655, 1935},
    // Inside the frame, from its top-left corner.
    {"lblLabels_3", 240, 480, 615, 255},
    {"txtNombreCampo", 960, 360, 1455, 375},
    {"lblLabels_4", 240, 960, 615, 255},
    {"cboTipoDatos", 960, 840, 1455, 315},
    {"lblLabels_5", 240, 1440, 615, 255},
    {"txtLength", 960, 1320, 1455, 375},
    {"cmdCrear", 4320, 4560, 975, 855},
    {"cmdCerrar", 5400, 4560, 975, 855},
};
constexpr shell::WindowLayout kLayout{6525, 5445, kPlaces};

}  // namespace

frmNuevaTabla::frmNuevaTabla(shell::AppServices& services, Dbase& dbase,
                             const QButtonGroup& optDBFVersion, QWidget* parent)
    : shell::SecondaryWindow(parent),
      ui(std::make_unique<Ui::frmNuevaTabla>()),
      m_services(services),
      m_dbase(dbase),
      m_optDBFVersion(optDBFVersion) {
    ui->setupUi(this);
    applyDesign();
    ui->cboTipoDatos->setCurrentIndex(-1);

    platform::Prompts& prompts = m_services.prompts;
    using shell::connectHandler;
    connectHandler(ui->cmdExaminar, &QPushButton::clicked, this, prompts,
                   [this](bool) { cmdExaminar_Click(); });
    connectHandler(ui->cmdAceptar, &QPushButton::clicked, this, prompts,
                   [this](bool) { cmdAceptar_Click(); });
    connectHandler(ui->cboTipoDatos, &QComboBox::currentIndexChanged, this, prompts,
                   [this](int) { cboTipoDatos_Click(); });
    connectHandler(ui->cmdAgregar, &QToolButton::clicked, this, prompts,
                   [this](bool) { cmdAgregar_Click(); });
    connectHandler(ui->cmdEliminar, &QToolButton::clicked, this, prompts,
                   [this](bool) { cmdEliminar_Click(); });
    connectHandler(ui->cmdCrear, &QToolButton::clicked, this, prompts,
                   [this](bool) { cmdCrear_Click(); });
    connectHandler(ui->cmdCerrar, &QToolButton::clicked, this, prompts,
                   [this](bool) { cmdCerrar_Click(); });

    ui->txtBaseDeDatos->setFocus();
}

frmNuevaTabla::~frmNuevaTabla() = default;

const shell::WindowLayout& frmNuevaTabla::designLayout() { return kLayout; }

void frmNuevaTabla::applyDesign() {
    const shell::TwipsScale twips(*this);
    setFixedSize(twips.size(kLayout.width, kLayout.height));
    shell::placeControls(*this, kLayout);

    const QSize pictureSize = twips.size(480, 480);
    shell::setPicture(*ui->cmdAgregar, shell::Picture::AddField, pictureSize);
    shell::setPicture(*ui->cmdEliminar, shell::Picture::DeleteField, pictureSize);
    shell::setPicture(*ui->cmdCrear, shell::Picture::CreateTable, pictureSize);
    shell::setPicture(*ui->cmdCerrar, shell::Picture::Close, pictureSize);
}

void frmNuevaTabla::cmdExaminar_Click() {
    frmSelCarpeta picker(m_services, *ui->txtBaseDeDatos, this);
    m_services.showModal(picker);
}

void frmNuevaTabla::cmdAceptar_Click() {
    m_dbase.DefinirTabla(ui->txtBaseDeDatos->text().toStdString(),
                         ui->txtNombreTabla->text().toStdString(), connectString());
    // The new definition has no fields yet, and the list shows the definition's fields.
    ui->lstCampos->clear();
    ui->lstCampos->setEnabled(true);
    ui->txtNombreCampo->setEnabled(true);
    ui->cboTipoDatos->setEnabled(true);
    ui->txtLength->setEnabled(true);
    ui->cmdAgregar->setEnabled(true);
    ui->cmdEliminar->setEnabled(true);
    ui->cmdCrear->setEnabled(true);
}

void frmNuevaTabla::cboTipoDatos_Click() {
    const FieldTypeEntry* type = findFieldType(ui->cboTipoDatos->currentText().toStdString());
    if (type == nullptr) return;
    if (type->fixedLength.empty()) {
        ui->txtLength->setEnabled(true);
    } else {
        ui->txtLength->setEnabled(false);
        ui->txtLength->setText(QString::fromUtf8(type->fixedLength.data(),
                                                 static_cast<qsizetype>(type->fixedLength.size())));
    }
}

void frmNuevaTabla::cmdAgregar_Click() {
    if (ui->txtNombreCampo->text().isEmpty()) {
        showValidationMessage(kFieldNameIsNull);
        return;
    }
    if (ui->txtLength->text().isEmpty()) {
        showValidationMessage(kLengthIsNull);
        return;
    }
    const FieldTypeEntry* type = ui->cboTipoDatos->currentIndex() < 0
                                     ? nullptr
                                     : findFieldType(ui->cboTipoDatos->currentText().toStdString());
    if (type == nullptr) {
        showValidationMessage(kTypeIsNull);
        return;
    }
    const std::int16_t length = convertLength(ui->txtLength->text().toStdString());
    m_dbase.AgregarCampo(ui->txtNombreCampo->text().toStdString(), type->code, length);
    ui->lstCampos->addItem(ui->txtNombreCampo->text());
}

void frmNuevaTabla::cmdEliminar_Click() {
    const QList<QListWidgetItem*> selected = ui->lstCampos->selectedItems();
    QListWidgetItem* entry = selected.isEmpty() ? nullptr : selected.front();
    m_dbase.EliminarCampo(entry != nullptr ? entry->text().toStdString() : std::string());
    // The field is gone from the definition, so it leaves the list too. Nothing is selected
    // afterwards: a second "Delete" must not take the neighbour the user never chose.
    delete entry;
    ui->lstCampos->setCurrentItem(nullptr);
    ui->lstCampos->clearSelection();
}

void frmNuevaTabla::cmdCrear_Click() {
    m_dbase.CrearTabla();
    accept();
}

void frmNuevaTabla::cmdCerrar_Click() { reject(); }

std::string frmNuevaTabla::connectString() const {
    for (int index = 0; index < 3; ++index) {
        const QAbstractButton* option = m_optDBFVersion.button(index);
        if (option != nullptr && option->isChecked()) return kConnectByVersion[index];
    }
    return {};
}

void frmNuevaTabla::showValidationMessage(const char* text) {
    m_services.prompts.messageBox(text, platform::MessageButtons::Ok, platform::MessageIcon::None,
                                  modPrincipal::kAppTitle);
}

}  // namespace tablecreate
