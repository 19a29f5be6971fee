#include "platform/accessible.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>

namespace platform {

namespace {

class TextBoxInterface : public QAccessibleWidget,
                         public QAccessibleTextInterface,
                         public QAccessibleEditableTextInterface {
public:
    explicit TextBoxInterface(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(t);
    }

    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Value)
            edit()->setText(text);
        else
            QAccessibleWidget::setText(t, text);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = edit()->isReadOnly();
        s.editable = !s.readOnly;
        s.selectableText = true;
        return s;
    }

    // Text.
    QString text(int startOffset, int endOffset) const override {
        return startOffset > endOffset ? QString() : edit()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }

    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        // The whole text has the box's one font and colour.
        const int count = characterCount();
        const bool inside = offset >= 0 && offset <= count;
        *startOffset = inside ? 0 : offset;
        *endOffset = inside ? count : offset;
        return QString();
    }

    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex == 0 && edit()->hasSelectedText()) {
            *startOffset = edit()->selectionStart();
            *endOffset = edit()->selectionEnd();
        }
    }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0)
            edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0)
            edit()->setSelection(startOffset, endOffset - startOffset);
    }

    int offsetAtPoint(const QPoint& point) const override {
        return edit()->cursorPositionAt(edit()->mapFromGlobal(point));
    }

    // Measured from the start of the text area: the boxes show their text from its beginning.
    QRect characterRect(int offset) const override {
        const QString text = edit()->text();
        if (offset < 0 || offset >= text.size())
            return QRect();
        QStyleOptionFrame option;
        option.initFrom(edit());
        const QRect area = edit()->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit());
        const QFontMetrics metrics(edit()->font());
        const QRect rect(area.left() + metrics.horizontalAdvance(text.left(offset)),
                         area.top() + (area.height() - metrics.height()) / 2,
                         metrics.horizontalAdvance(text.at(offset)), metrics.height());
        return rect.translated(edit()->mapToGlobal(QPoint(0, 0)));
    }

    void scrollToSubstring(int startIndex, int endIndex) override {
        edit()->setCursorPosition(endIndex);
        edit()->setCursorPosition(startIndex);
    }

    // Editable text.
    void deleteText(int startOffset, int endOffset) override {
        edit()->setText(edit()->text().remove(startOffset, endOffset - startOffset));
    }
    void insertText(int offset, const QString& text) override {
        edit()->setText(edit()->text().insert(offset, text));
    }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        edit()->setText(edit()->text().replace(startOffset, endOffset - startOffset, text));
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
};

// News for screen readers: a notification, not drawn, that shows itself with
// the news as its name.
class Notice : public QAccessibleObject {
public:
    Notice(QObject* holder, QWidget* window) : QAccessibleObject(holder), window_(window) {}
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(window_); }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? text_ : QString(); }
    void setText(QAccessible::Text t, const QString& text) override {
        if (t == QAccessible::Name)
            text_ = text;
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }

private:
    QWidget* window_;
    QString text_;
};

// Qt keeps one update handler per process, a plain function: so is what it needs here.
QAccessible::UpdateHandler previousHandler = nullptr;
QPointer<QObject> focusTold; // the object assistive tools were last told has the focus

void FocusFirst(QAccessibleEvent* event);

void Pass(QAccessibleEvent* event) {
    if (previousHandler) {
        previousHandler(event);
        return;
    }
    // Qt hands an event to its own accessibility bridge only while no handler is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(FocusFirst);
}

void FocusFirst(QAccessibleEvent* event) {
    QObject* object = event->object();
    switch (event->type()) {
    case QAccessible::Focus: focusTold = object; break;
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
        if (auto* box = qobject_cast<QLineEdit*>(object); box && (box != focusTold || !box->hasFocus()))
            return;
        break;
    default: break;
    }
    Pass(event);
}

} // namespace

QAccessibleInterface* AccessibleTextBox(QLineEdit* edit) { return new TextBoxInterface(edit); }

void InstallFocusFirst() { previousHandler = QAccessible::installUpdateHandler(FocusFirst); }

void Announce(QWidget* window, const QString& text) {
    // One holder a window, found by its name; deleted with the window, and its interface with it.
    static const QString holderName = QStringLiteral("notice");
    QObject* holder = window->findChild<QObject*>(holderName, Qt::FindDirectChildrenOnly);
    if (!holder) {
        holder = new QObject(window);
        holder->setObjectName(holderName);
        QAccessible::registerAccessibleInterface(new Notice(holder, window));
    }
    QAccessibleInterface* notice = QAccessible::queryAccessibleInterface(holder);
    notice->setText(QAccessible::Name, text);
    // Told, so that a tool that keeps names (Orca 48) does not read the last news again.
    QAccessibleEvent named(notice, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

} // namespace platform
