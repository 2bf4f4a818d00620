#pragma once

#include "FilmFixtures.h"
#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

class QAbstractItemView;
class QMainWindow;

namespace kinora::test {

// Runs action on the next modal dialog once it is shown (polling, so it also catches a
// dialog opened in a nested event loop).
void onModalDialog(std::function<void(QDialog*)> action);

// Runs action on the next dialog as it is being shown, before the dialog's own show event:
// to connect to it before it starts any work of its own.
void onDialogShow(std::function<void(QDialog*)> action);

// Sets an editable combo box to one of its list entries the way a person does: way 0 opens
// the list with the mouse and clicks entry, way 1 presses the down arrow once, way 2 clears the
// text and types prefix, leaving the completion to the box.
void chooseInComboBox(QComboBox* box, int way, const QString& entry, const QString& prefix);

// Clicks the item of the window's menu bar that holds the action (object name).
void clickMenuBarItem(QMainWindow* window, const char* action);

// The texts of column 0 of the view, row by row.
QStringList titles(const QAbstractItemView* view);

// Clicks the row of the view that shows text in column 0; false when no row shows it.
bool clickRow(QAbstractItemView* view, const QString& text,
              Qt::MouseButton button = Qt::LeftButton);

// Clicks the item of a shown pop-up menu that holds the action (object name).
void clickMenuItem(QMenu* menu, const char* action);

// Records the text of every message box while alive ("(Markup)" for a text the box would not
// show as plain text) and answers it with answer (at first reply), or with Ok when the box
// does not offer answer.
class MessageRecorder
{
public:
    explicit MessageRecorder(QMessageBox::StandardButton reply = QMessageBox::Ok);
    ~MessageRecorder();
    QStringList texts;
    QMessageBox::StandardButton answer;
};

} // namespace kinora::test
