#include "ui/LendDialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kinora {

LendDialog::LendDialog(const QString& title, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_lentTo(new QLineEdit(this)), m_since(new QDateEdit(QDate::currentDate(), this))
{
    setWindowTitle(QStringLiteral("Verleihen: %1").arg(title));
    m_lentTo->setObjectName(QStringLiteral("txtLentTo"));
    m_lentTo->setAccessibleName(QStringLiteral("Verliehen an"));
    m_since->setObjectName(QStringLiteral("txtLentSince"));
    m_since->setAccessibleName(QStringLiteral("seit"));
    m_since->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_since->setCalendarPopup(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("cmdLend"));
    ok->setEnabled(false);
    connect(m_lentTo, &QLineEdit::textChanged, ok,
            [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    auto* toLabel = new QLabel(QStringLiteral("&Verliehen an:"), this);
    toLabel->setBuddy(m_lentTo);
    auto* sinceLabel = new QLabel(QStringLiteral("&seit:"), this);
    sinceLabel->setBuddy(m_since);
    form->addRow(toLabel, m_lentTo);
    form->addRow(sinceLabel, m_since);
    form->addRow(buttons);
    form->setSizeConstraint(QLayout::SetFixedSize);
    m_lentTo->setMinimumWidth(220);
}

void LendDialog::setLoan(const QString& lentTo, const QDate& since)
{
    m_lentTo->setText(lentTo);
    if (since.isValid())
        m_since->setDate(since);
}

QString LendDialog::lentTo() const
{
    return m_lentTo->text().trimmed();
}

QDate LendDialog::since() const
{
    return m_since->date();
}

} // namespace kinora
