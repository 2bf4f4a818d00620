#pragma once

#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace kinora {

// Record fields in the edit boxes of a dialog. Multi-line fields separate their lines by
// CR LF; a multi-line box shows each as one line break and gives CR LF back. A field the user
// did not edit is taken back exactly as it was, whatever the box made of it.

QString ToBoxText(const QString& text);
QString FromBoxText(const QPlainTextEdit* box);

// After a form was filled: marks every line edit and multi-line box of it as not edited, and
// shows long one-line texts from their beginning.
void ShowUnedited(QWidget* form);

// Replaces field by the box's text when the user edited the box.
void TakeEdited(QString& field, const QLineEdit* edit);
void TakeEdited(QString& field, const QPlainTextEdit* box);

} // namespace kinora
