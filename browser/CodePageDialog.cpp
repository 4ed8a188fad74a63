#include "browser/CodePageDialog.h"

#include "base/ShownText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace browser {

namespace {

QString shown(const std::string& text) { return QString::fromStdString(base::shownText(text)); }

// The preview values of a row on one line, each cut short where long; control characters (a
// code page that reads wrong gives many) show as U+FFFD rather than as escapes.
QString previewLine(const std::vector<std::string>& values) {
    QStringList parts;
    for (const std::string& value : values) {
        QString text = QString::fromStdString(value);
        for (QChar& c : text) {
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) {
                c = QChar(QChar::ReplacementCharacter);
            }
        }
        QString part = shown(text.toStdString()).simplified();
        if (part.size() > 40) part = part.left(39) + QChar(0x2026);
        parts << part;
    }
    return parts.join(QStringLiteral("  |  "));
}

}  // namespace

CodePageDialog::CodePageDialog(Purpose purpose, const std::string& table,
                               const engine::CodePagePreview& preview, QWidget* parent)
    : QDialog(parent), m_preview(preview), m_list(new QTreeWidget(this)) {
    const bool reopen = purpose == Purpose::Reopen;
    setObjectName(reopen ? "reopenCodePageDialog" : "convertCodePageDialog");
    setWindowTitle(reopen ? "Reopen with code page" : "Convert code page");
    const bool withValues = reopen && !preview.field.empty();
    QString text;
    if (!reopen) {
        text = "Convert the text of " + shown(table) +
               " into the code page chosen (the table is written anew; its old files are kept "
               "as backups):";
    } else if (withValues) {
        text = "How the first values of " + shown(preview.field) +
               " read in each code page. Choose the one that reads right, and " + shown(table) +
               " is opened again with it:";
    } else {
        text = shown(table) + " has no text field to show. Choose a code page to open it with:";
    }
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);

    m_list->setObjectName("codePageList");
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setColumnCount(withValues ? 2 : 1);
    m_list->setHeaderLabels(withValues ? QStringList{"Code page", "First values"}
                                       : QStringList{"Code page"});
    for (const engine::CodePagePreview::Row& row : preview.rows) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, shown(row.name) + (row.current ? "  (now)" : ""));
        if (withValues) item->setText(1, previewLine(row.values));
        if (row.current) {
            QFont bold = item->font(0);
            bold.setBold(true);
            item->setFont(0, bold);
            m_list->setCurrentItem(item);
        }
    }
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_accept = buttons->addButton(reopen ? "Reopen" : "Convert", QDialogButtonBox::AcceptRole);
    m_accept->setObjectName("acceptButton");
    m_accept->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_accept->isEnabled()) accept();
    });
    // Converting into the code page the table is in already would change nothing.
    const auto enable = [this, reopen] {
        const int row = chosenRow();
        m_accept->setEnabled(row >= 0 &&
                             (reopen || !m_preview.rows[static_cast<std::size_t>(row)].current));
    };
    connect(m_list, &QTreeWidget::currentItemChanged, this, enable);
    enable();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(withValues ? 760 : 380, 480);
}

int CodePageDialog::chosenRow() const {
    QTreeWidgetItem* item = m_list->currentItem();
    return item == nullptr ? -1 : m_list->indexOfTopLevelItem(item);
}

bool CodePageDialog::choose(const std::string& encoding) {
    for (std::size_t i = 0; i < m_preview.rows.size(); ++i) {
        if (m_preview.rows[i].encoding == encoding) {
            m_list->setCurrentItem(m_list->topLevelItem(static_cast<int>(i)));
            return true;
        }
    }
    return false;
}

}  // namespace browser
