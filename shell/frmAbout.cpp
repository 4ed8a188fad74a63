#include "shell/frmAbout.h"

#include "platform/FileProbe.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompts.h"
#include "platform/RegistryReader.h"
#include "shell/AppServices.h"
#include "shell/Handlers.h"
#include "shell/Icons.h"
#include "shell/modPrincipal.h"
#include "ui_frmAbout.h"

#include <QPixmap>

#include <algorithm>
#include <vector>

namespace shell {

namespace {

// Where the system-information program's folder is registered, when its path is not.
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kLocationValue = "MSINFO";
constexpr const char* kProgramFile = "\\MSINFO32.EXE";

constexpr std::size_t kValueBufferSize = 1024;
constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

}  // namespace

frmAbout::frmAbout(AppServices& services, QWidget* parent)
    : SecondaryWindow(parent), ui(std::make_unique<Ui::frmAbout>()), m_services(services) {
    ui->setupUi(this);
    QPixmap logo = logoPixmap(qRound(ui->picIcon->maximumWidth() * devicePixelRatioF()));
    logo.setDevicePixelRatio(devicePixelRatioF());
    ui->picIcon->setPixmap(logo);
    QFont titleFont = ui->lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    ui->lblTitle->setFont(titleFont);

    connectHandler(ui->cmdOK, &QPushButton::clicked, this, m_services.prompts,
                   [this](bool) { cmdOK_Click(); });
    connectHandler(ui->cmdSysInfo, &QPushButton::clicked, this, m_services.prompts,
                   [this](bool) { cmdSysInfo_Click(); });

    Form_Load();
    adjustSize();
    setFixedSize(size());
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    setWindowTitle(QString::fromUtf8("About ") + QString::fromUtf8(modPrincipal::kAppTitle));
    ui->lblVersion->setText(QString::fromStdString(modPrincipal::versionText()));
    ui->lblTitle->setText(QString::fromUtf8(modPrincipal::kAppTitle));
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo() {
    try {
        if (std::optional<std::string> program = findSysInfoProgram()) {
            m_services.launcher.start(*program);
            return;
        }
    } catch (...) {
        // Whatever went wrong, the user hears the one message below.
    }
    m_services.prompts.messageBox(kSysInfoUnavailable, platform::MessageButtons::Ok,
                                  platform::MessageIcon::None, modPrincipal::kAppTitle);
}

std::optional<std::string> frmAbout::findSysInfoProgram() {
    std::string program;
    if (GetKeyValue(platform::kHkeyLocalMachine, platform::kSysInfoPathKey,
                    platform::kSysInfoPathValue, program)) {
        return program;
    }
    std::string folder;
    if (GetKeyValue(platform::kHkeyLocalMachine, kLocationKey, kLocationValue, folder) &&
        m_services.files.fileExists(folder + kProgramFile)) {
        return folder + kProgramFile;
    }
    return std::nullopt;
}

bool frmAbout::GetKeyValue(std::uint32_t root, const std::string& keyName,
                           const std::string& valueName, std::string& value) {
    value.clear();
    std::optional<platform::RegistryReader::Handle> key = m_services.registry.open(root, keyName);
    if (!key) return false;

    // Closes the key on every way out, an exception from the query included.
    struct KeyCloser {
        platform::RegistryReader& registry;
        platform::RegistryReader::Handle handle;
        ~KeyCloser() { registry.close(handle); }
    } closer{m_services.registry, *key};

    std::optional<platform::RegistryReader::QueryResult> result =
        m_services.registry.query(*key, valueName, kValueBufferSize);
    if (!result || result->moreData || result->data.size() > kValueBufferSize) return false;
    if (result->type != platform::kRegSz) return false;

    std::vector<std::uint8_t> buffer(kValueBufferSize, 0);
    std::copy(result->data.begin(), result->data.end(), buffer.begin());
    std::size_t length = result->data.size();
    if (length > 0 && buffer[length - 1] == 0) --length;
    value.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
    return true;
}

}  // namespace shell
