#pragma once

#include "FilmFixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace kinora::test {

// Runs action on the next modal dialog once it is shown (polling, so it also catches a
// dialog opened in a nested event loop).
void onModalDialog(std::function<void(QDialog*)> action);

// Sets an editable combo box to one of its list entries the way a person does: way 0 opens
// the list with the mouse and clicks entry, way 1 presses the down arrow once, way 2 clears the
// text and types prefix, leaving the completion to the box.
void chooseInComboBox(QComboBox* box, int way, const QString& entry, const QString& prefix);

// Answers every message box with Ok and records its text while alive.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList texts;
};

} // namespace kinora::test
