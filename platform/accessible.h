// What screen readers are told about the text boxes and the focus, beyond
// what Qt tells them itself.
#pragma once

class QAccessibleInterface;
class QLineEdit;
class QString;
class QWidget;

namespace platform {

// A text box to assistive tools. Its whole text is one run of text attributes:
// Qt's own interface reports empty runs, and a screen reader that reads a
// text run by run then leaves out its last character.
QAccessibleInterface* AccessibleTextBox(QLineEdit* edit);

// Tells assistive tools a text box's caret and selection only while it has the
// focus and they have been told so. Qt tells a box's caret before its focus,
// and a screen reader then takes the box for the focus without announcing it;
// a box losing the focus drops its selection, which is no news for the user.
// Installed once per process, before the first window.
void InstallFocusFirst();

// Has assistive tools speak `text` at once, as news about the control that
// has the focus in `window`, which keeps it.
void Announce(QWidget* window, const QString& text);

} // namespace platform
