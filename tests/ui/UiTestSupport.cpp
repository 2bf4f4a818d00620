#include "UiTestSupport.h"

#include "TestSupport.h"

#include "ui/MessageBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QtTest>

namespace kinora::test {

void onModalDialog(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

void chooseInComboBox(QComboBox* box, int way, const QString& entry, const QString& prefix)
{
    QLineEdit* edit = box->lineEdit();
    switch (way) {
    case 0: {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 5, box->height() / 2));
        QAbstractItemView* list = box->view();
        QTRY_VERIFY(list->isVisible());
        const QRect row = list->visualRect(box->model()->index(box->findText(entry), 0));
        // The list takes no click as fast as a double click after it opened.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseMove(list->viewport(), row.center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QTRY_VERIFY(!list->isVisible());
        break;
    }
    case 1:
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Down);
        break;
    default:
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, prefix);
        break;
    }
}

MessageRecorder::MessageRecorder()
{
    MessageBox::setTestAnswer(
        [this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
            texts.append(text);
            return QMessageBox::Ok;
        });
}

MessageRecorder::~MessageRecorder()
{
    MessageBox::setTestAnswer({});
}

} // namespace kinora::test
