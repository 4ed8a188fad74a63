// The drive, folder and file lists: which volumes are listed, how folders open, which files show.
#include "shell/DirListBox.h"
#include "shell/DriveListBox.h"
#include "shell/FileListBox.h"
#include "shell/MountTable.h"
#include "tests/support/TestPaths.h"

#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <stdexcept>

using shell::MountedVolume;

namespace {

// The volumes a container on a desktop sees: kernel interfaces, scratch memory, the runtime's
// layers, two real disks (one with a space in its mount point), a share, an over-mounted folder.
const std::vector<MountedVolume> kMounts = {
    {"/proc", "proc", "proc"},
    {"/sys", "sysfs", "sysfs"},
    {"/dev", "devtmpfs", "udev"},
    {"/dev/shm", "tmpfs", "tmpfs"},
    {"/run", "tmpfs", "tmpfs"},
    {"/sys/fs/cgroup", "cgroup2", "cgroup2"},
    {"/", "ext4", "/dev/sda1"},
    {"/media/usb key", "vfat", "/dev/sdb1"},
    {"/var/lib/docker/overlay2/abc/merged", "overlay", "overlay"},
    {"/mnt/share", "nfs4", "server:/export"},
    {"/home", "ext4", "/dev/sda2"},
    {"/home", "xfs", "/dev/sda3"},
    {"/tmp", "tmpfs", "tmpfs"},
    {"/snap/core/1", "squashfs", "/dev/loop0"},
};

std::vector<std::string> mountPoints(const std::vector<MountedVolume>& volumes) {
    std::vector<std::string> points;
    for (const auto& volume : volumes) points.push_back(volume.mountPoint);
    return points;
}

void touch(const std::filesystem::path& path) { std::ofstream(path) << "x"; }

QStringList texts(const QListWidget& list) {
    QStringList result;
    for (int row = 0; row < list.count(); ++row) result << list.item(row)->text();
    return result;
}

// A real double-click: Qt's views take a double-click only on the entry that was just pressed.
void doubleClick(QWidget* viewport, QPoint position) {
    QTest::mouseClick(viewport, Qt::LeftButton, {}, position);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, position);
}

QListWidgetItem* entryFor(const shell::DirListBox& list, const QString& path) {
    for (int row = 0; row < list.count(); ++row) {
        if (shell::DirListBox::entryPath(list.item(row)) == path) return list.item(row);
    }
    return nullptr;
}

}  // namespace

class tst_FileSystemLists : public QObject {
    Q_OBJECT

private slots:
    void mountTableKeepsOnlyUserVolumes_data() {
        QTest::addColumn<QString>("keep");
        QTest::addColumn<QStringList>("expected");
        const QStringList userOnes = {"/", "/home", "/media/usb key", "/mnt/share"};
        QTest::newRow("current folder on a disk") << "/home/ana" << userOnes;
        QTest::newRow("current folder on scratch memory")
            << "/tmp/work" << (QStringList(userOnes) << "/tmp");
        QTest::newRow("current folder inside a pseudo file system")
            << "/proc/self" << (QStringList(userOnes) << "/proc");
    }

    void mountTableKeepsOnlyUserVolumes() {
        QFETCH(QString, keep);
        QFETCH(QStringList, expected);
        expected.sort();
        QStringList actual;
        for (const auto& point : mountPoints(shell::userVolumes(kMounts, keep.toStdString()))) {
            actual << QString::fromStdString(point);
        }
        QCOMPARE(actual, expected);
    }

    void anOverMountedFolderShowsTheVisibleMount() {
        const auto volumes = shell::userVolumes(kMounts, "/");
        const auto home = std::find_if(volumes.begin(), volumes.end(),
                                       [](const auto& v) { return v.mountPoint == "/home"; });
        QVERIFY(home != volumes.end());
        QCOMPARE(QString::fromStdString(home->fileSystemType), QString("xfs"));
        QCOMPARE(std::count_if(volumes.begin(), volumes.end(),
                               [](const auto& v) { return v.mountPoint == "/home"; }),
                 1);
        QCOMPARE(QString::fromStdString(shell::volumeHolding(volumes, "/media/usb key/a")),
                 QString("/media/usb key"));
        QCOMPARE(QString::fromStdString(shell::volumeHolding(volumes, "/homework")), QString("/"));
    }

    void thisProcessListsItsCurrentVolume() {
        const auto volumes = shell::currentUserVolumes();
        QVERIFY(!volumes.empty());
        const std::string current = std::filesystem::canonical(".").string();
        const std::string holding = shell::volumeHolding(volumes, current);
        QVERIFY(std::any_of(volumes.begin(), volumes.end(),
                            [&](const auto& v) { return v.mountPoint == holding; }));
        for (const auto& volume : volumes) {
            QVERIFY2(volume.fileSystemType != "proc" && volume.fileSystemType != "sysfs",
                     volume.mountPoint.c_str());
        }
    }

    void driveListSelectsTheCurrentFoldersVolume() {
        std::vector<MountedVolume> volumes = {
            {"/", "ext4", "/dev/sda1"}, {"/home", "ext4", "/dev/sda2"}, {"/mnt", "vfat", ""}};
        shell::DriveListBox drives(volumes, "/home/ana/tables");
        QCOMPARE(drives.count(), 3);
        QCOMPARE(drives.Drive(), QString("/home"));
        QCOMPARE(drives.currentText(), QString("/home  [/dev/sda2]"));

        QSignalSpy changes(&drives, &shell::DriveListBox::Change);
        QVERIFY(!drives.setDrive("/nowhere"));
        QCOMPARE(drives.Drive(), QString("/home"));
        QVERIFY(drives.setDrive("/mnt"));
        QCOMPARE(drives.Drive(), QString("/mnt"));
        QCOMPARE(changes.count(), 1);

        shell::DriveListBox fromProcess;
        QVERIFY(fromProcess.count() > 0);
        QVERIFY(!fromProcess.Drive().isEmpty());
    }

    void folderListOpensOnActivationOnly() {
        testsupport::TempDir temp;
        std::filesystem::create_directories(temp / "beta" / "inner");
        std::filesystem::create_directory(temp / "Alpha");
        std::filesystem::create_directory(temp / ".hidden");
        touch(temp / "file.dbf");
        const QString root = QString::fromStdString(temp.path().string());

        shell::DirListBox folders;
        folders.show();
        QVERIFY(QTest::qWaitForWindowExposed(&folders));
        QSignalSpy changes(&folders, &shell::DirListBox::Change);
        folders.setPath(root);
        QCOMPARE(folders.Path(), root);
        QCOMPARE(changes.count(), 1);
        folders.setPath(root + "/");
        QCOMPARE(changes.count(), 1);

        // Ancestors from "/" down to the open folder, then the subfolders only.
        const QStringList shown = texts(folders);
        QCOMPARE(shown.first(), QString("/"));
        QCOMPARE(shown.mid(shown.size() - 3),
                 QStringList({temp.path().filename().c_str(), "Alpha", "beta"}));

        QListWidgetItem* beta = entryFor(folders, root + "/beta");
        QVERIFY(beta != nullptr);
        folders.setCurrentItem(beta);
        QCOMPARE(folders.Path(), root);
        QCOMPARE(changes.count(), 1);

        QTest::keyClick(folders.viewport(), Qt::Key_Return);
        QCOMPARE(folders.Path(), root + "/beta");
        QCOMPARE(changes.count(), 2);
        QVERIFY(entryFor(folders, root + "/beta/inner") != nullptr);
        QVERIFY(entryFor(folders, root + "/Alpha") == nullptr);

        // The way up: the parent's entry.
        QListWidgetItem* parent = entryFor(folders, root);
        doubleClick(folders.viewport(), folders.visualItemRect(parent).center());
        QCOMPARE(folders.Path(), root);
        QCOMPARE(changes.count(), 3);
    }

    void folderListRefusesWhatIsNotAFolderAndSurvivesAVanishedOne() {
        testsupport::TempDir temp;
        std::filesystem::create_directory(temp / "gone");
        touch(temp / "plain.txt");
        const QString root = QString::fromStdString(temp.path().string());

        shell::DirListBox folders;
        folders.setPath(root);
        QSignalSpy changes(&folders, &shell::DirListBox::Change);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, folders.setPath(root + "/missing"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, folders.setPath(root + "/plain.txt"));
        QCOMPARE(folders.Path(), root);
        QCOMPARE(changes.count(), 0);

        QListWidgetItem* gone = entryFor(folders, root + "/gone");
        QVERIFY(gone != nullptr);
        std::filesystem::remove(temp / "gone");
        emit folders.itemActivated(gone);
        QCOMPARE(folders.Path(), root);
        QVERIFY(entryFor(folders, root + "/gone") == nullptr);
    }

    void fileListMatchesThePatternWithoutRegardToCase() {
        testsupport::TempDir temp;
        for (const char* name : {"b.dbf", "A.DBF", "c.Xls", "d.txt", "e.dbf.bak", ".hidden.dbf"}) {
            touch(temp / name);
        }
        std::filesystem::create_directory(temp / "folder.dbf");
        const QString root = QString::fromStdString(temp.path().string());

        shell::FileListBox files;
        files.setPattern("*.dbf;*.xls");
        files.setPath(root);
        QCOMPARE(texts(files), QStringList({"A.DBF", "b.dbf", "c.Xls"}));
        QCOMPARE(files.selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(files.FileName(), QString());

        files.item(1)->setSelected(true);
        QCOMPARE(files.FileName(), QString("b.dbf"));
        files.refresh();
        QCOMPARE(files.FileName(), QString());
        QVERIFY(files.selectedItems().isEmpty());

        QVERIFY_THROWS_EXCEPTION(std::runtime_error, files.setPath(root + "/missing"));
        QCOMPARE(files.count(), 0);
    }

    void fileListReportsADoubleClick() {
        testsupport::TempDir temp;
        touch(temp / "only.dbf");
        shell::FileListBox files;
        files.setPattern("*.dbf");
        files.setPath(QString::fromStdString(temp.path().string()));
        files.show();
        QVERIFY(QTest::qWaitForWindowExposed(&files));
        QSignalSpy doubleClicks(&files, &shell::FileListBox::DblClick);
        doubleClick(files.viewport(), files.visualItemRect(files.item(0)).center());
        QCOMPARE(doubleClicks.count(), 1);
        QCOMPARE(files.FileName(), QString("only.dbf"));
    }

    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }
};

QTEST_MAIN(tst_FileSystemLists)
#include "FileSystemListsTest.moc"
