#include "shell/DriveListBox.h"

#include <QDir>
#include <QFileInfo>

namespace shell {

namespace {

QString canonicalCurrentFolder() {
    const QString canonical = QFileInfo(QDir::currentPath()).canonicalFilePath();
    return canonical.isEmpty() ? QDir::currentPath() : canonical;
}

}  // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    fill(currentUserVolumes(), canonicalCurrentFolder());
}

DriveListBox::DriveListBox(const std::vector<MountedVolume>& volumes, const QString& currentFolder,
                           QWidget* parent)
    : QComboBox(parent) {
    fill(volumes, currentFolder);
}

void DriveListBox::fill(const std::vector<MountedVolume>& volumes, const QString& currentFolder) {
    setEditable(false);
    setInsertPolicy(QComboBox::NoInsert);
    for (const MountedVolume& volume : volumes) {
        const QString mountPoint = QString::fromStdString(volume.mountPoint);
        QString label = mountPoint;
        if (!volume.source.empty()) label += "  [" + QString::fromStdString(volume.source) + "]";
        addItem(label, mountPoint);
    }
    const QString holding =
        QString::fromStdString(volumeHolding(volumes, currentFolder.toStdString()));
    const int index = findData(holding);
    setCurrentIndex(index >= 0 ? index : 0);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit Change(); });
}

QString DriveListBox::Drive() const { return currentData().toString(); }

bool DriveListBox::setDrive(const QString& mountPoint) {
    const int index = findData(mountPoint);
    if (index < 0) return false;
    setCurrentIndex(index);
    return true;
}

}  // namespace shell
