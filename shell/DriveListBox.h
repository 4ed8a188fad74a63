// A drop-down list of the mounted volumes a user can browse, for the open-table and folder
// windows.
#pragma once

#include "shell/MountTable.h"

#include <QComboBox>
#include <QString>

#include <vector>

namespace shell {

// Lists the user's volumes (see userVolumes: no kernel or container-internal mounts), each shown
// as its mount point followed by its device. At construction the volume that holds the process's
// current folder is selected. Nothing is remembered between instances.
class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    // Reads the process's mount table.
    explicit DriveListBox(QWidget* parent = nullptr);
    // Lists the given volumes instead and selects the one holding currentFolder (for tests).
    DriveListBox(const std::vector<MountedVolume>& volumes, const QString& currentFolder,
                 QWidget* parent = nullptr);

    // The mount point of the selected volume ("/" or "/media/usb").
    QString Drive() const;
    // Selects the volume mounted at mountPoint; returns false (and changes nothing) when no
    // listed volume is mounted there.
    bool setDrive(const QString& mountPoint);

signals:
    // The selected volume changed (the user picked another, or setDrive chose another).
    void Change();

private:
    void fill(const std::vector<MountedVolume>& volumes, const QString& currentFolder);
};

}  // namespace shell
