#include "ui/MessageBox.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>

namespace kinora {

MessageBox::Answer& MessageBox::testAnswer()
{
    static Answer answer;
    return answer;
}

void MessageBox::setTestAnswer(Answer answer)
{
    testAnswer() = std::move(answer);
}

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& text,
                                             QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, QStringLiteral("Kinora"), text, buttons, parent);
    // The texts carry titles, addresses, paths and history descriptions from the library and
    // the film site: a "<a href=...>" in them must stay text, never a link or a picture to load.
    box.setTextFormat(Qt::PlainText);
    if (buttons.testFlag(QMessageBox::Yes)) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
        box.setDefaultButton(QMessageBox::No);
    }
    if (testAnswer())
        return testAnswer()(box);
    return QMessageBox::StandardButton(box.exec());
}

QMessageBox::StandardButton MessageBox::warning(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Warning, text, QMessageBox::Ok);
}

QMessageBox::StandardButton MessageBox::information(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Information, text, QMessageBox::Ok);
}

void MessageBox::historyFailure(QWidget* parent, const Status& history)
{
    static bool told = false;
    if (history || told)
        return;
    told = true;
    warning(parent, QStringLiteral("Die Änderung ist ausgeführt, lässt sich aber nicht "
                                   "rückgängig machen.\n%1\n"
                                   "Dieser Hinweis erscheint nur einmal; Änderungen, die nicht "
                                   "im Verlauf stehen, lassen sich nicht zurücknehmen.")
                        .arg(history.error()));
}

QMessageBox::StandardButton MessageBox::question(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No);
}

void MessageBox::report(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                        const QString& details)
{
    if (testAnswer()) {
        // A test reads the summary and its list as one plain-text box.
        show(parent, icon, details.isEmpty() ? text : text + QStringLiteral("\n\n") + details,
             QMessageBox::Ok);
        return;
    }
    QDialog box(parent);
    box.setWindowTitle(QStringLiteral("Kinora"));
    auto* layout = new QGridLayout(&box);
    auto* picture = new QLabel(&box);
    const QStyle::StandardPixmap pixmap = icon == QMessageBox::Warning
                                              ? QStyle::SP_MessageBoxWarning
                                              : QStyle::SP_MessageBoxInformation;
    const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    picture->setPixmap(box.style()->standardIcon(pixmap, nullptr, &box).pixmap(side, side));
    layout->addWidget(picture, 0, 0, Qt::AlignTop);
    auto* label = new QLabel(&box);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    layout->addWidget(label, 0, 1);
    layout->setColumnStretch(1, 1);
    const QRect screen = (parent ? parent->screen() : box.screen())->availableGeometry();
    if (!details.isEmpty()) {
        // Plain text that scrolls, whatever the list holds; the user can copy it from there.
        auto* list = new QPlainTextEdit(&box);
        list->setObjectName(QStringLiteral("details"));
        list->setReadOnly(true);
        list->setPlainText(details);
        const QFontMetrics metrics = list->fontMetrics();
        const int lines = int(details.count(u'\n')) + 1;
        list->setMinimumWidth(qMin(screen.width() * 2 / 3, metrics.averageCharWidth() * 90));
        list->setFixedHeight(
            qMin(screen.height() / 2, metrics.lineSpacing() * qMin(lines, 20) + 12));
        layout->addWidget(list, 1, 0, 1, 2);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons, 2, 0, 1, 2);
    box.setMaximumSize(screen.size());
    box.exec();
}

} // namespace kinora
