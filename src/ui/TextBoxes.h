#pragma once

#include <QString>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace kinora {

// Record fields in the edit boxes of a dialog. Multi-line fields separate their lines by
// CR LF; a multi-line box shows each as one line break and gives CR LF back. A box whose text
// is still the text it was filled with gives its field back exactly as it was, whatever the
// box made of it (a lone LF, a line break in a one-line box); any other box gives its text as
// shown.

QString ToBoxText(const QString& text);
QString FromBoxText(const QPlainTextEdit* box);

// After a form was filled: remembers what every line edit, combo box and multi-line box of it
// shows, and shows long one-line texts from their beginning.
void ShowUnedited(QWidget* form);

// Replaces field by the box's text when the box no longer shows the text it was filled with.
// Whether the user typed, chose a list entry or let the box complete a word does not matter.
void TakeShown(QString& field, const QLineEdit* edit);
void TakeShown(QString& field, const QComboBox* box);
void TakeShown(QString& field, const QPlainTextEdit* box);

} // namespace kinora
