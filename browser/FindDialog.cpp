#include "browser/FindDialog.h"

#include "shell/Icons.h"
#include "shell/WindowDesign.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace browser {

FindDialog::FindDialog(const FindRequest& start, QWidget* parent)
    : QDialog(parent),
      m_text(new QLineEdit(start.text, this)),
      m_currentColumn(new QRadioButton("In the current column", this)),
      m_allColumns(new QRadioButton("In all columns", this)),
      m_matchCase(new QCheckBox("Match case", this)),
      m_findNext(nullptr) {
    setWindowTitle("Find");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(shell::applicationIcon());
    shell::applyDesignFont(*this);

    m_text->setObjectName("findText");
    m_currentColumn->setObjectName("findInCurrentColumn");
    m_allColumns->setObjectName("findInAllColumns");
    m_matchCase->setObjectName("findMatchCase");
    (start.allColumns ? m_allColumns : m_currentColumn)->setChecked(true);
    m_matchCase->setChecked(start.matchCase);

    auto* form = new QFormLayout;
    form->addRow("Find what:", m_text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_findNext = buttons->addButton("Find Next", QDialogButtonBox::AcceptRole);
    m_findNext->setObjectName("findNext");
    m_findNext->setDefault(true);
    m_findNext->setEnabled(!start.text.isEmpty());
    connect(m_text, &QLineEdit::textChanged, m_findNext,
            [this](const QString& text) { m_findNext->setEnabled(!text.isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_currentColumn);
    layout->addWidget(m_allColumns);
    layout->addWidget(m_matchCase);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_text->selectAll();
    m_text->setFocus();
}

FindRequest FindDialog::request() const {
    return {m_text->text(), m_allColumns->isChecked(), m_matchCase->isChecked()};
}

}  // namespace browser
