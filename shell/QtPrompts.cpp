#include "shell/QtPrompts.h"

#include "shell/modPrincipal.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace shell {

namespace {

QWidget* dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

QString titleOrDefault(const std::string& title) {
    return QString::fromStdString(title.empty() ? std::string(modPrincipal::kAppTitle) : title);
}

}  // namespace

platform::MessageResult QtPrompts::messageBox(const std::string& text,
                                              platform::MessageButtons buttons,
                                              platform::MessageIcon icon,
                                              const std::string& title) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(titleOrDefault(title));
    box.setText(QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == platform::MessageIcon::Exclamation ? QMessageBox::Warning
                                                           : QMessageBox::NoIcon);
    if (buttons == platform::MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Cancel) ? platform::MessageResult::Cancel
                                                                  : platform::MessageResult::Ok;
}

std::string QtPrompts::inputBox(const std::string& prompt, const std::string& title) {
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(dialogParent(), titleOrDefault(title), QString::fromStdString(prompt),
                              QLineEdit::Normal, QString(), &accepted);
    return accepted ? answer.toStdString() : std::string();
}

std::optional<std::string> QtPrompts::saveFileName(const std::string& filter) {
    const QString chosen =
        QFileDialog::getSaveFileName(dialogParent(), QString(), QString(), qtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = i + 1 < parts.size()
                                     ? parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ')
                                     : QString();
        if (patterns.isEmpty() || description.contains("(" + patterns + ")")) {
            entries << description;
        } else {
            entries << description + " (" + patterns + ")";
        }
    }
    return entries.join(";;");
}

}  // namespace shell
