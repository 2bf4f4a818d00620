#include "UiTestSupport.h"

#include "TestSupport.h"

#include "ui/MessageBox.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
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
        // A check that failed inside the dialog must not leave the test waiting on it.
        if (QTest::currentTestFailed() && dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

void onDialogShow(std::function<void(QDialog*)> action)
{
    // An application-wide filter sees the show event before the dialog does.
    class ShowFilter : public QObject
    {
    public:
        explicit ShowFilter(std::function<void(QDialog*)> a) : m_action(std::move(a)) {}
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && event->type() == QEvent::Show && m_action) {
                qApp->removeEventFilter(this);
                deleteLater();
                std::exchange(m_action, {})(dialog);
            }
            return false;
        }

    private:
        std::function<void(QDialog*)> m_action;
    };
    qApp->installEventFilter(new ShowFilter(std::move(action)));
}

void clickMenuBarItem(QMainWindow* window, const char* action)
{
    QMenuBar* bar = window->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(child<QAction>(window, action)).center());
}

QStringList titles(const QAbstractItemView* view)
{
    QStringList texts;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        texts << view->model()->index(row, 0).data().toString();
    return texts;
}

bool clickRow(QAbstractItemView* view, const QString& text, Qt::MouseButton button)
{
    const int row = titles(view).indexOf(text);
    const QPoint centre = view->visualRect(view->model()->index(row, 0)).center();
    if (row >= 0) {
        QTest::mousePress(view->viewport(), button, {}, centre);
        QTest::mouseRelease(view->viewport(), button, {}, centre);
    }
    return row >= 0;
}

void clickMenuItem(QMenu* menu, const char* action)
{
    QTRY_VERIFY(menu->isVisible());
    for (QAction* item : menu->actions()) {
        if (item->objectName() == QLatin1String(action))
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
}

void chooseInComboBox(QComboBox* box, int way, const QString& entry, const QString& prefix)
{
    QLineEdit* edit = box->lineEdit();
    // Keys reach the box only once its window is active, as they do for a person; the box
    // completes typed text only while it has the focus.
    QApplication::setActiveWindow(box->window());
    QTRY_VERIFY(box->window()->isActiveWindow());
    if (way == 0) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 5, box->height() / 2));
        QAbstractItemView* list = box->view();
        QTRY_VERIFY(list->isVisible());
        const QRect row = list->visualRect(box->model()->index(box->findText(entry), 0));
        // The list takes no click as fast as a double click after it opened.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseMove(list->viewport(), row.center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QTRY_VERIFY(!list->isVisible());
        return;
    }
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    if (way == 1) {
        QTest::keyClick(edit, Qt::Key_Down);
        return;
    }
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, prefix);
}

MessageRecorder::MessageRecorder(QMessageBox::StandardButton reply) : answer(reply)
{
    MessageBox::setTestAnswer([this](const QMessageBox& box) {
        texts.append(box.textFormat() == Qt::PlainText ? box.text() : QStringLiteral("(Markup)"));
        return box.standardButtons().testFlag(answer) ? answer : QMessageBox::Ok;
    });
}

MessageRecorder::~MessageRecorder()
{
    MessageBox::setTestAnswer({});
}

} // namespace kinora::test
