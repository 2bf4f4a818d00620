#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QLineEdit;

namespace kinora {

// "Verleihen": to whom a film goes ("Verliehen an") and since when ("seit", today unless
// given). "&OK" only once a name is typed.
class LendDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LendDialog(const QString& title, QWidget* parent = nullptr);

    void setLoan(const QString& lentTo, const QDate& since);
    QString lentTo() const;
    QDate since() const;

private:
    QLineEdit* m_lentTo;
    QDateEdit* m_since;
};

} // namespace kinora
