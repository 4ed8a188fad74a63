#include "shell/QtPrompts.h"

#include "shell/modPrincipal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

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
    QPushButton* repair = nullptr;
    if (buttons == platform::MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        if (buttons == platform::MessageButtons::OkRepair) {
            repair = box.addButton(QStringLiteral("Repair..."), QMessageBox::ActionRole);
            repair->setObjectName("repairButton");
        }
        box.setDefaultButton(QMessageBox::Ok);
    }
    box.exec();
    if (repair != nullptr && box.clickedButton() == repair) return platform::MessageResult::Repair;
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

std::optional<platform::SavedFileName> QtPrompts::saveFileName(const std::string& filter) {
    const QString filters = qtFileFilter(filter);
    const QStringList entries = filters.split(";;");
    QString selected = entries.value(0);
    const QString chosen =
        QFileDialog::getSaveFileName(dialogParent(), QString(), QString(), filters, &selected);
    if (chosen.isEmpty()) return std::nullopt;
    const qsizetype index = entries.indexOf(selected);
    return platform::SavedFileName{chosen.toStdString(),
                                   index < 0 ? 0 : static_cast<std::size_t>(index)};
}

std::optional<std::string> QtPrompts::openFileName(const std::string& filter) {
    const QString chosen =
        QFileDialog::getOpenFileName(dialogParent(), QString(), QString(), qtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

namespace {

class QtProgressReport : public platform::ProgressReport {
public:
    QtProgressReport(const std::string& text, const std::string& title)
        : m_dialog(QString::fromStdString(text), QProgressDialog::tr("Cancel"), 0, kSteps,
                   dialogParent()) {
        m_dialog.setWindowTitle(titleOrDefault(title));
        m_dialog.setWindowModality(Qt::ApplicationModal);
        m_dialog.setMinimumDuration(kShowAfterMs);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setValue(0);  // starts the dialog's clock
        m_sinceAsked.start();
    }

    bool advance(long done, long total) override {
        if (m_sinceAsked.elapsed() < kAskEveryMs && done < total) return !m_dialog.wasCanceled();
        m_sinceAsked.restart();
        // The dialog restarts its clock at its minimum, so the bar leaves it at once.
        const long step = total > 0 ? std::clamp(done, 0L, total) * kSteps / total : 0;
        m_dialog.setValue(static_cast<int>(std::max(step, 1L)));  // processes events once shown
        return !m_dialog.wasCanceled();
    }

private:
    static constexpr int kSteps = 1000;
    static constexpr int kShowAfterMs = 500;
    static constexpr int kAskEveryMs = 50;

    QProgressDialog m_dialog;
    QElapsedTimer m_sinceAsked;
};

}  // namespace

std::unique_ptr<platform::ProgressReport> QtPrompts::progress(const std::string& text,
                                                              const std::string& title) {
    return std::make_unique<QtProgressReport>(text, title);
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
