#include "browser/frmPrincipal.h"

#include "browser/GridCommands.h"
#include "browser/NavigationBar.h"
#include "browser/RecordCaption.h"
#include "browser/RecordsetModel.h"
#include "browser/TableToolCommands.h"
#include "browser/TableTools.h"
#include "browser/ViewOrderModel.h"
#include "engine/Recordset.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "shell/Icons.h"
#include "shell/Twips.h"
#include "shell/WindowDesign.h"
#include "shell/modPrincipal.h"
#include "ui_frmPrincipal.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QResizeEvent>
#include <QShortcut>

#include <stdexcept>

namespace browser {

namespace {

// The data control's bar, docked along the bottom edge at full width (twips).
constexpr double kNavigationBarHeight = 375;

constexpr shell::ControlPlace kPlaces[] = {
    {"cmdMenu0", 120, 120, 735, 735},
    {"cmdMenu1", 960, 120, 735, 735},
    {"cmdMenu2", 1800, 120, 735, 735},
    {"cmdMenu3", 2640, 120, 735, 735},
    {"cmdMenu4", 3480, 120, 735, 735},
    {"cmdMenu5", 4320, 120, 735, 735},
    {"fraOpcioines", 5400, 120, 2655, 1095},
    // In the frame.
    {"optDBFVersion0", 120, 240, 1095, 255},
    {"optDBFVersion1", 120, 480, 1095, 255},
    {"optDBFVersion2", 120, 720, 1095, 255},
    {"optDBFVersion3", 1320, 240, 1095, 255},
    {"chkSoloLectura", 1320, 720, 1215, 255},
    {"cmdRegistroAgregar", 120, 1080, 850, 275},
    {"cmdRegistroEliminar", 960, 1080, 850, 275},
    {"cmdRegistroReemplazar", 1800, 1080, 850, 275},
    // A line one pixel high (at 96 DPI) from (0, 1440) to (8160, 1440).
    {"Line1", 0, 1440, 8160, 15},
    // Until the first layout (Form_Resize) moves it.
    {"dbgDbf", 0, 1560, 8175, 4095},
};
constexpr shell::WindowLayout kLayout{8190, 6105, kPlaces};

// Moves a control to a position in twips; refuses a negative width or height, as a move to such
// a size cannot be made.
void moveInTwips(QWidget& control, float left, float top, float width, float height) {
    if (width < 0 || height < 0) {
        throw std::invalid_argument("Invalid property value.");
    }
    shell::placeInTwips(control, left, top, width, height);
}

// Runs one statement of a handler that ignores failures.
template <typename Statement>
void ignoringFailure(Statement&& statement) {
    try {
        statement();
    } catch (...) {
        // The statement is skipped; the next one runs.
    }
}

}  // namespace

frmPrincipal::frmPrincipal(shell::AppServices& services, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::frmPrincipal>()),
      m_services(services),
      cmdMenu(new QButtonGroup(this)),
      optDBFVersion(new QButtonGroup(this)),
      m_model(new RecordsetModel(dtcDbf, this)),
      m_navigationBar(nullptr),
      m_gridCommands(nullptr),
      m_endApplication([] { QCoreApplication::exit(0); }) {
    ui->setupUi(this);
    m_navigationBar = new NavigationBar(dtcDbf, services.prompts, ui->centralwidget);
    applyDesign();
    m_gridCommands = new GridCommands(*ui->dbgDbf, dtcDbf, services, this);
    m_tableTools = new TableTools(
        *ui->dbgDbf, dtcDbf, services, m_gridCommands->menu(), [this] { completeOpen(); }, this);
    m_deletedRecordTools = new TableToolCommands(
        *ui->dbgDbf, dtcDbf, services, m_gridCommands->menu(), [this] { completeOpen(); }, this);
    m_navigationBar->setRowOrder(&ui->dbgDbf->view().rowOrder());
    connectHandlers();
    connectShortcuts();
    dtcDbf.addListener(this);
    Form_Load();
}

frmPrincipal::~frmPrincipal() {
    // Everything that listens to dtcDbf goes before it does.
    dtcDbf.removeListener(this);
    delete m_deletedRecordTools;
    delete m_tableTools;
    delete m_gridCommands;
    m_navigationBar->setRowOrder(nullptr);
    ui->dbgDbf->setRecordsetModel(nullptr);
    delete m_model;
    delete m_navigationBar;
}

void frmPrincipal::setEndApplication(std::function<void()> endApplication) {
    m_endApplication = std::move(endApplication);
}

const shell::WindowLayout& frmPrincipal::designLayout() { return kLayout; }

void frmPrincipal::applyDesign() {
    setWindowIcon(shell::applicationIcon());
    shell::applyDesignFont(*this);
    const shell::TwipsScale twips(*this);
    resize(twips.size(kLayout.width, kLayout.height));
    shell::placeControls(*this, kLayout);

    static const shell::Picture kPictures[] = {shell::Picture::New,   shell::Picture::Open,
                                               shell::Picture::Close, shell::Picture::Export,
                                               shell::Picture::About, shell::Picture::Exit};
    QToolButton* const menuButtons[] = {ui->cmdMenu0, ui->cmdMenu1, ui->cmdMenu2,
                                        ui->cmdMenu3, ui->cmdMenu4, ui->cmdMenu5};
    cmdMenu->setObjectName("cmdMenu");
    for (int index = 0; index < 6; ++index) {
        QToolButton* button = menuButtons[index];
        shell::setPicture(*button, kPictures[index], twips.size(360, 360));
        cmdMenu->addButton(button, index);
    }

    QRadioButton* const options[] = {ui->optDBFVersion0, ui->optDBFVersion1, ui->optDBFVersion2,
                                     ui->optDBFVersion3};
    optDBFVersion->setObjectName("optDBFVersion");
    for (int index = 0; index < 4; ++index) optDBFVersion->addButton(options[index], index);

    // A line in the window-background colour between the upper area and the grid.
    ui->Line1->setAutoFillBackground(true);
    ui->Line1->setBackgroundRole(QPalette::Base);

    ui->dbgDbf->setAllowAddNew(false);
    ui->dbgDbf->setAllowDelete(false);
    ui->dbgDbf->setAllowUpdate(true);
    ui->dbgDbf->setRecordsetModel(m_model);

    m_navigationBar->setObjectName("dtcDbf");
    dtcDbf.SetConnect("dBASE III;");
    dtcDbf.SetRecordsetType(engine::DataControl::kTable);
    dtcDbf.SetReadOnly(false);
    dtcDbf.SetCaption(kStartCaption);
    dockNavigationBar();
}

void frmPrincipal::connectHandlers() {
    platform::Prompts& prompts = m_services.prompts;
    shell::connectHandler(cmdMenu, &QButtonGroup::idClicked, this, prompts,
                          [this](int index) { cmdMenu_Click(index); });
    shell::connectHandler(optDBFVersion, &QButtonGroup::idClicked, this, prompts,
                          [this](int index) { optDBFVersion_Click(index); });
    shell::connectHandler(ui->chkSoloLectura, &QCheckBox::clicked, this, prompts,
                          [this] { chkSoloLectura_Click(); });
    shell::connectHandler(ui->cmdRegistroAgregar, &QPushButton::clicked, this, prompts,
                          [this] { cmdRegistroAgregar_Click(); });
    shell::connectHandler(ui->cmdRegistroEliminar, &QPushButton::clicked, this, prompts,
                          [this] { cmdRegistroEliminar_Click(); });
    shell::connectHandler(ui->cmdRegistroReemplazar, &QPushButton::clicked, this, prompts,
                          [this] { cmdRegistroReemplazar_Click(); });
    // A change the grid could not make (a refused edit or deletion) is told to the user here.
    shell::connectHandler(
        m_model, &RecordsetModel::editFailed, this, prompts, [this](const QString& description) {
            modPrincipal::MostrarError(m_services.prompts, description.toStdString());
        });
    // A filter changes the count the position caption shows.
    connect(&ui->dbgDbf->view(), &ViewOrderModel::viewChanged, this,
            &frmPrincipal::dtcDbf_Reposition);
}

// Keys for the command bar: each presses its button, as a click would.
void frmPrincipal::connectShortcuts() {
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), kNew},   {QKeySequence(Qt::CTRL | Qt::Key_O), kOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_W), kClose}, {QKeySequence(Qt::CTRL | Qt::Key_E), kExport},
        {QKeySequence(Qt::Key_F1), kAbout},           {QKeySequence(Qt::CTRL | Qt::Key_Q), kExit},
    };
    for (const auto& [key, index] : keys) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setObjectName(QString("shortcut%1").arg(index));
        QAbstractButton* button = cmdMenu->button(index);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled()) button->click();
        });
    }
}

void frmPrincipal::Form_Load() {
    shell::trapped(m_services.prompts, [this] {
        sngGridTop = 1500;
        sngGridMargin = 1950;
    });
}

void frmPrincipal::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    dockNavigationBar();
    Form_Resize();
}

void frmPrincipal::dockNavigationBar() {
    const shell::TwipsScale twips(*this);
    const QSize client = size();
    const int height = twips.y(kNavigationBarHeight);
    m_navigationBar->setGeometry(0, client.height() - height, client.width(), height);
}

void frmPrincipal::Form_Resize() {
    const shell::TwipsScale twips(*this);
    float w = 0;
    float h = 0;
    // The window has no menu, tool or status bar: its client area is the whole window.
    ignoringFailure([&] { w = static_cast<float>(twips.twipsX(width())); });
    ignoringFailure([&] { h = static_cast<float>(twips.twipsY(height())); });
    ignoringFailure([&] { moveInTwips(*ui->dbgDbf, 60, sngGridTop, w - 60, h - sngGridMargin); });
}

void frmPrincipal::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_placed) return;
    m_placed = true;
    shell::centreOnScreen(*this);
    ui->cmdMenu0->setFocus(Qt::OtherFocusReason);
}

void frmPrincipal::chkSoloLectura_Click() {
    shell::trapped(m_services.prompts, [this] {
        switch (ui->chkSoloLectura->checkState()) {
            case Qt::Checked:
                dtcDbf.SetReadOnly(true);
                ui->dbgDbf->setAllowAddNew(false);
                ui->dbgDbf->setAllowDelete(false);
                ui->dbgDbf->setAllowUpdate(false);
                break;
            case Qt::Unchecked:
                dtcDbf.SetReadOnly(false);
                ui->dbgDbf->setAllowAddNew(true);
                ui->dbgDbf->setAllowDelete(true);
                ui->dbgDbf->setAllowUpdate(true);
                break;
            default:
                break;
        }
        dtcDbf_Reposition();
    });
}

void frmPrincipal::optDBFVersion_Click(int index) {
    shell::trapped(m_services.prompts, [&] {
        switch (index) {
            case kDbaseIII:
                dtcDbf.SetConnect("Dbase III;");
                break;
            case kDbaseIV:
                dtcDbf.SetConnect("Dbase IV;");
                break;
            case kDbaseV:
                dtcDbf.SetConnect("Dbase V;");
                break;
            case kExcel:
                dtcDbf.SetConnect("Excel 8.0;");
                break;
            default:
                break;
        }
    });
}

void frmPrincipal::recordPositionChanged() { dtcDbf_Reposition(); }

void frmPrincipal::dtcDbf_Reposition() {
    shell::trapped(m_services.prompts, [this] {
        const engine::Recordset* set = dtcDbf.GetRecordset();
        // With no table open there is no position to show: the caption stays as it is.
        if (set == nullptr) return;
        // While the grid shows only some records, the count is theirs.
        const ViewOrderModel& view = ui->dbgDbf->view();
        const bool filtered = view.isFiltered();
        const long count = filtered ? view.shownRecordCount() : set->RecordCount();
        switch (ui->chkSoloLectura->checkState()) {
            case Qt::Checked:
                dtcDbf.SetCaption(recordCaption(set->AbsolutePosition(), count, true, filtered));
                break;
            case Qt::Unchecked:
                dtcDbf.SetCaption(recordCaption(set->AbsolutePosition(), count, false, filtered));
                break;
            default:
                break;
        }
    });
}

engine::Recordset& frmPrincipal::openRecordset() {
    engine::Recordset* set = dtcDbf.GetRecordset();
    if (set == nullptr) throw std::runtime_error("No table is open.");
    return *set;
}

}  // namespace browser
