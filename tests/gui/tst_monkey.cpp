// A seeded monkey: thousands of random user actions against the real windows.
// After every action, everything a user could see is compared with a model of
// what the action should have done: which windows are shown, the text of every
// field, the reports, the browser launches and the end of the program. When a
// program ends, the next one starts and the count goes on.
//
//   PF_MONKEY_SEED=n     another sequence
//   PF_MONKEY_ACTIONS=n  another length; a failure prints the pair that replays it
#include "harness.h"

#include "calc/calculation.h"
#include "platform/controls.h"
#include "platform/errors.h"
#include "ui/calculator.h"

#include <QElapsedTimer>
#include <QKeySequence>
#include <QWindow>

#include <deque>
#include <map>
#include <random>
#include <set>

namespace {

constexpr quint64 kDefaultSeed = 20120316;
constexpr qint64 kDefaultActions = 20000;
constexpr std::size_t kLogLength = 20;

// A window by its layout table; ui::Arrangement() lists them in the project's order.
using Layout = const platform::Window*;

bool Is(const QString& control, platform::ControlName name) { return control == platform::ToString(name); }
bool Is(const platform::Control& c, platform::ControlName name) {
    return qstrcmp(c.name, name.name) == 0 && c.index == name.index;
}

// The fields of a calculator: the inputs in reading order, then the result.
QStringList Fields(const ui::Calculator& calculator) {
    QStringList fields;
    for (const char* input : calculator.inputs)
        fields << QString::fromLatin1(input);
    return fields << platform::ToString(ui::kResultField);
}

// What 计算 does with the calculator's texts.
calc::Result Calculate(const ui::Calculator& calculator, const QMap<QString, QString>& fields) {
    std::vector<std::u16string> texts;
    for (const char* input : calculator.inputs)
        texts.push_back(fields[QString::fromLatin1(input)].toStdU16String());
    calc::FpStatus status;
    return calc::Calculate(calculator.formula, texts, status);
}

// A text for the log: control characters escaped, long texts cut.
QString Quote(const QString& s) {
    const qsizetype shown = s.size() > 40 ? 24 : s.size();
    QString out = QStringLiteral("\"");
    for (qsizetype i = 0; i < shown; ++i) {
        const char16_t c = s[i].unicode();
        if (c < 0x20 || c == 0x7F || c == u'"' || c == u'\\' || (c >= 0xD800 && c <= 0xDFFF))
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0'));
        else
            out += s[i];
    }
    out += QLatin1Char('"');
    if (shown < s.size())
        out += QStringLiteral("…(%1 chars)").arg(s.size());
    return out;
}

class Random {
public:
    explicit Random(quint64 seed) : engine_(seed) {}
    // The modulo keeps a seed's sequence the same with every standard library.
    int Below(int n) { return static_cast<int>(engine_() % static_cast<quint64>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T, std::size_t N> const T& Pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(N)))];
    }

private:
    std::mt19937_64 engine_;
};

// Numbers as a user types them, with the ones that reach the edges of single
// and double, the zeros that close the gates and the zeros that divide.
QString NumberText(Random& rng) {
    // clang-format off
    static constexpr const char* kPool[] = {
        "0", "0", "1", "2", "-2", "3", "100", "1.5", "400", "0.6", "0.5", "300", "25.4", "-0", "+7", ".5",
        "5.", "1e3", "2.5E-3", "1e", "1e+", "-1e-5", "0.000001", "65536", "16777217", "1e10", "1e20", "1e38",
        "3.4028235e38", "3.4028236e38", "-3.5e38", "1e39", "123456789012345678901234567890",
        "1.7976931348623157e308", "1.8e308", "1e309", "-1e400", "1e-38", "1e-45", "1e-46", "4.9e-324",
        "1e-400", "1e999999999999", "-1e-999999999999", "0e999999999999", "00000000000000000000001"};
    // clang-format on
    if (rng.Chance(60))
        return QString::fromLatin1(rng.Pick(kPool));
    QString s;
    if (rng.Chance(20))
        s += rng.Chance(50) ? QLatin1Char('-') : QLatin1Char('+');
    const int digits = 1 + rng.Below(8);
    const int point = rng.Below(digits + 3);
    for (int i = 0; i < digits; ++i) {
        if (i == point)
            s += QLatin1Char('.');
        s += QLatin1Char(char('0' + rng.Below(10)));
    }
    if (rng.Chance(25))
        s += QStringLiteral("e%1%2").arg(rng.Chance(50) ? "-" : "").arg(rng.Below(rng.Chance(50) ? 40 : 400));
    return s;
}

QString FullWidth(const QString& ascii, Random& rng) {
    QString s;
    for (QChar c : ascii) {
        const char16_t u = c.unicode();
        if (!rng.Chance(80))
            s += c;
        else if (u >= u'0' && u <= u'9')
            s += QChar(char16_t(0xFF10 + (u - u'0')));
        else if (u == u'.' || u == u'+' || u == u'-' || u == u'e' || u == u'E')
            s += QChar(char16_t(u == u'.'   ? 0xFF0E
                                : u == u'+' ? 0xFF0B
                                : u == u'-' ? 0xFF0D
                                : u == u'e' ? 0xFF45
                                            : 0xFF25));
        else
            s += c;
    }
    return s;
}

QString AnyText(Random& rng, int depth = 0) {
    // clang-format off
    static constexpr const char* kWords[] = {
        "abc", "mm", "Mpa", "一百", "τb", "nan", "NaN", "inf", "-inf", "Infinity", "∞", "-", "+", ".", "e5",
        "E", "0x1F", "1,5", "1_000", "--5", "+-5", "..5", "1..5", "1.2.3", "12mm", "400Mpa", "1e5e5", "5-",
        "e"};
    // Emoji, lone surrogates, control and format characters, blanks, full-width forms.
    static constexpr const char16_t* kOdd[] = {
        u"😀", u"12😀", u"👍🏽3", u"🔥1e5", u"1.5🙂", (u"\xD83D" u"5"), u"5\xDE00", u"\t12", u"1\n2",
        u"\r\n", u"\x01", u"\x1B[0m7", u"\u200B5", u"\u202E12", u"\x7F", u"\uFEFF3", u" 12", u"\u3000１２",
        u"\t\t3", u"   ", u"\u00A05", u"\u20035", u"1 2", u"\u3000\u3000", u"\u3000-\u30007",
        u"１２．５ｅ－３", u"－０", u"＋１Ｅ４０"};
    static constexpr char16_t kJunk[] = u"0123456789.+-eE ．＋－ｅＥ０１２３４５６７８９\u3000\tab😀";
    // clang-format on
    switch (rng.Below(20)) {
    case 0: return QString();
    case 1: return QString::fromUtf8(rng.Pick(kWords));
    case 2:
    case 3: return QString::fromUtf16(rng.Pick(kOdd));
    case 4: return FullWidth(NumberText(rng), rng);
    case 5: {
        switch (rng.Below(6)) {
        case 0: return QString(10000, QLatin1Char('9'));
        case 1: return QStringLiteral("0.") + QString(9997, QLatin1Char('0')) + QLatin1Char('1');
        case 2: return QStringLiteral("1") + QString(5000, QLatin1Char('0')) + QStringLiteral("e-5000");
        case 3: return QString(10000, QLatin1Char('x'));
        case 4: return QString(5000, QChar(u'\u3000')) + QStringLiteral("5");
        default: return QString::fromUtf16(u"😀").repeated(5000);
        }
    }
    case 6: {
        QString s;
        const int length = 1 + rng.Below(30);
        const int junk = static_cast<int>(std::size(kJunk)) - 1;
        for (int i = 0; i < length; ++i)
            s += QChar(kJunk[rng.Below(junk)]);
        return s;
    }
    case 7:
        if (depth == 0)
            return AnyText(rng, 1) + AnyText(rng, 1);
        return NumberText(rng);
    default: return NumberText(rng);
    }
}

// A key as the window system delivers it.
struct Key {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers;
};

Qt::KeyboardModifiers AnyModifiers(Random& rng) {
    Qt::KeyboardModifiers m;
    for (Qt::KeyboardModifier one :
         {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier})
        if (rng.Chance(25))
            m |= one;
    return m;
}

Qt::KeyboardModifiers FewModifiers(Random& rng) {
    static constexpr Qt::KeyboardModifier kSome[] = {Qt::NoModifier, Qt::NoModifier, Qt::NoModifier,
                                                     Qt::ShiftModifier, Qt::ControlModifier};
    return rng.Pick(kSome);
}

// The key of a character a user types: digits, letters and the signs of a number.
Key CharacterKey(char c) {
    Qt::Key key = Qt::Key_Period;
    if (c >= '0' && c <= '9')
        key = Qt::Key(Qt::Key_0 + (c - '0'));
    else if (c >= 'a' && c <= 'z')
        key = Qt::Key(Qt::Key_A + (c - 'a'));
    else if (c >= 'A' && c <= 'Z')
        key = Qt::Key(Qt::Key_A + (c - 'A'));
    else if (c == '-')
        key = Qt::Key_Minus;
    else if (c == '+')
        key = Qt::Key_Plus;
    const bool upper = c >= 'A' && c <= 'Z';
    return {key, QString(QLatin1Char(c)), upper ? Qt::ShiftModifier : Qt::NoModifier};
}

// Undo and redo replay an edit history the model does not keep.
bool EditsHistory(const Key& k) {
    static const QList<QKeySequence> history =
        QKeySequence::keyBindings(QKeySequence::Undo) + QKeySequence::keyBindings(QKeySequence::Redo);
    return history.contains(QKeySequence(QKeyCombination(k.modifiers, k.key)));
}

Key AnyKey(Random& rng) {
    static constexpr Qt::Key kArrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    for (;;) {
        const int r = rng.Below(100);
        Key k{Qt::Key_Escape, QString(), Qt::NoModifier};
        if (r < 30) {
            k = {rng.Pick(kArrows), QString(), AnyModifiers(rng)};
        } else if (r < 37) {
            k = {Qt::Key_Tab, QStringLiteral("\t"), FewModifiers(rng)};
        } else if (r < 45) {
            k = {rng.Chance(50) ? Qt::Key_Return : Qt::Key_Enter, QStringLiteral("\r"), FewModifiers(rng)};
        } else if (r < 53) {
            k = {Qt::Key_Space, QStringLiteral(" "), FewModifiers(rng)};
        } else if (r < 58) {
            k = {Qt::Key_Escape, QStringLiteral("\x1b"), FewModifiers(rng)};
        } else if (r < 66) {
            k = {Qt::Key_Backspace, QStringLiteral("\b"), FewModifiers(rng)};
        } else if (r < 70) {
            k = {Qt::Key_Delete, QStringLiteral("\x7f"), FewModifiers(rng)};
        } else if (r < 86) {
            const int letter = rng.Below(26);
            static constexpr Qt::KeyboardModifier kWith[] = {
                Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier};
            const Qt::KeyboardModifier m = rng.Pick(kWith);
            const QChar text = m == Qt::ControlModifier ? QChar(char16_t(1 + letter))
                               : m == Qt::ShiftModifier ? QChar(char16_t(u'A' + letter))
                                                        : QChar(char16_t(u'a' + letter));
            k = {Qt::Key(Qt::Key_A + letter), QString(text), m};
        } else {
            static constexpr char kSigns[] = "0123456789.-+e";
            k = CharacterKey(kSigns[rng.Below(int(std::size(kSigns)) - 1)]);
        }
        if (!EditsHistory(k))
            return k;
    }
}

// A key press and release as the window system sends them, the modifier keys
// around them, each delivered at once. Stops when the window has gone: a key
// can unload its window, and the next event loop pass deletes it.
void KeyClick(QWindow* window, const Key& k) {
    QPointer<QWindow> target(window);
    Qt::KeyboardModifiers held;
    auto send = [&](QEvent::Type type, int key, const QString& text) {
        if (!target)
            return;
        qt_handleKeyEvent(target, type, key, held, text);
        QCoreApplication::processEvents();
    };
    static constexpr std::pair<Qt::KeyboardModifier, Qt::Key> kModifierKeys[] = {
        {Qt::ShiftModifier, Qt::Key_Shift},
        {Qt::ControlModifier, Qt::Key_Control},
        {Qt::AltModifier, Qt::Key_Alt},
        {Qt::MetaModifier, Qt::Key_Meta}};
    for (const auto& [modifier, key] : kModifierKeys)
        if (k.modifiers & modifier) {
            send(QEvent::KeyPress, key, QString());
            held |= modifier;
        }
    send(QEvent::KeyPress, k.key, k.text);
    send(QEvent::KeyRelease, k.key, k.text);
    for (auto it = std::rbegin(kModifierKeys); it != std::rend(kModifierKeys); ++it)
        if (k.modifiers & it->first) {
            held &= ~it->first;
            send(QEvent::KeyRelease, it->second, QString());
        }
}

QString KeyName(const Key& k) {
    return QKeySequence(QKeyCombination(k.modifiers, k.key)).toString(QKeySequence::PortableText);
}

class Monkey {
public:
    Monkey(ui::Environment& environment, quint64 seed) : environment_(environment), rng_(seed) {
        StartProgram();
    }
    ~Monkey() { Harness::Flush(); }

    // One random action and the checks after it; a failure's description, or empty.
    QString Step(qint64 index);
    QString Log() const;

    qint64 programs() const { return programs_; }
    // How often each procedure ran, by what the model expected.
    QString Tally() const;
    qint64 reports() const { return reportsBefore_ + h_->reports.size(); }

private:
    struct Model {
        std::set<Layout> shown;
        std::map<Layout, QMap<QString, QString>> fields; // the calculators': field -> text
        QStringList reports;
        int opened = 0;
        bool ended = false;
    };

    void StartProgram();
    platform::Form& Form(Layout window) const { return h_->Form(*window); }
    bool RealShown(Layout window) const { return Form(window).IsShown(); }
    // The shown windows in the project's order.
    std::vector<Layout> Shown() const;
    Layout AnyShown(bool preferActive);
    void Note(const QString& action);

    void Click();
    void TypeText();
    void TypeKeys();
    void PressKey();
    void CloseTitleBar();
    void SendKey(Layout window, const Key& key);

    // What the program should do.
    void Clicked(Layout window, const QString& control);
    void Show(Layout window);
    void Unload(Layout window) { model_.shown.erase(window); }
    void EndIfNoneShown() {
        if (model_.shown.empty())
            model_.ended = true;
    }
    void End();

    QString Check();

    ui::Environment& environment_;
    const std::vector<Layout> windows_ = ui::Arrangement();
    Random rng_;
    std::unique_ptr<Harness> h_;
    Model model_;
    std::optional<std::pair<Layout, QString>> expectedFocus_; // window, control
    // A procedure may have run since the last press: keys typed may be held for its window.
    bool mayHold_ = false;
    QLineEdit shadow_; // an untouched line edit: what a key does to a field's text
    std::deque<QString> log_;
    QMap<QString, qint64> tally_;
    qint64 index_ = -1;
    qint64 programs_ = 0;
    qint64 reportsBefore_ = 0;
};

void Monkey::StartProgram() {
    if (h_)
        reportsBefore_ += h_->reports.size();
    h_.reset();
    Harness::Flush();
    h_ = std::make_unique<Harness>(environment_);
    model_ = Model{};
    expectedFocus_.reset();
    mayHold_ = false;
    ++programs_;
    Note(QStringLiteral("start program %1").arg(programs_));
    h_->project.Start();
    Show(&ui::MenuLayout());
    QCoreApplication::processEvents();
    Harness::Flush();
}

std::vector<Layout> Monkey::Shown() const {
    std::vector<Layout> shown;
    for (Layout window : windows_)
        if (model_.shown.count(window))
            shown.push_back(window);
    return shown;
}

// A shown window; mostly the active one, as a user mostly works in it. Right
// after a procedure, keys reach only the window it activated (as a window
// system delivers them; those sent to another window go there too).
Layout Monkey::AnyShown(bool preferActive) {
    const std::vector<Layout> shown = Shown();
    if (preferActive && (mayHold_ || rng_.Chance(70)))
        for (Layout window : shown)
            if (Form(window).window() == QApplication::activeWindow())
                return window;
    return shown[static_cast<std::size_t>(rng_.Below(static_cast<int>(shown.size())))];
}

void Monkey::Note(const QString& action) {
    log_.push_back(QStringLiteral("#%1 %2").arg(index_).arg(action));
    if (log_.size() > kLogLength)
        log_.pop_front();
}

QString Monkey::Log() const {
    QStringList lines(log_.begin(), log_.end());
    return lines.join(QLatin1Char('\n'));
}

QString Monkey::Step(qint64 index) {
    index_ = index;
    const int r = rng_.Below(100);
    if (r < 38)
        Click();
    else if (r < 56)
        TypeText();
    else if (r < 64)
        TypeKeys();
    else if (r < 98)
        PressKey();
    else
        CloseTitleBar();
    QCoreApplication::processEvents();
    Harness::Flush();
    QString failure = Check();
    if (failure.isEmpty() && model_.ended) {
        StartProgram();
        failure = Check();
    }
    return failure;
}

// A left click at a point of a control, or anywhere in the window; the control
// under the point gets it. Buttons are hit inside their face.
void Monkey::Click() {
    const Layout shown = AnyShown(false);
    platform::FormWindow* window = Form(shown).window();
    QPoint point;
    if (rng_.Chance(8)) {
        point = QPoint(rng_.Below(window->width()), rng_.Below(window->height()));
    } else {
        // Half of the clicks go to what has a procedure: the buttons and the link.
        std::vector<const platform::Control*> controls;
        const bool active = rng_.Chance(50);
        for (const platform::Control& c : shown->controls)
            if (!active || c.kind == platform::Kind::Button || Is(c, ui::kWebLink))
                controls.push_back(&c);
        auto pick = [&] { return controls[static_cast<std::size_t>(rng_.Below(int(controls.size())))]; };
        const platform::Control* chosen = pick();
        // The close buttons end the program; fewer of them let programs live longer.
        const bool closes = (shown == &ui::MenuLayout() && Is(*chosen, ui::kMenuCloseButton)) ||
                            (Harness::CalculatorOf(*shown) && Is(*chosen, ui::kCloseButton));
        if (closes && rng_.Chance(70))
            chosen = pick();
        const platform::Control& c = *chosen;
        QRect r = Form(shown).Control({c.name, c.index})->geometry();
        if (c.kind == platform::Kind::Button)
            r = r.marginsRemoved(QMargins(r.width() / 4, r.height() / 4, r.width() / 4, r.height() / 4));
        point = r.topLeft() + QPoint(rng_.Below(r.width()), rng_.Below(r.height()));
    }
    if (point.isNull())
        point = QPoint(1, 1); // (0, 0) would mean the window's centre
    QWidget* hit = window->childAt(point);
    while (hit && hit->parentWidget() != window)
        hit = hit->parentWidget();
    const Qt::KeyboardModifiers modifiers = rng_.Chance(90) ? Qt::NoModifier : FewModifiers(rng_);
    const QString control = hit ? hit->objectName() : QString();
    Note(QStringLiteral("click %1.%2 at (%3,%4)%5")
             .arg(QLatin1String(shown->name), hit ? control : QStringLiteral("<window>"))
             .arg(point.x())
             .arg(point.y())
             .arg(modifiers == Qt::NoModifier      ? QString()
                  : modifiers == Qt::ShiftModifier ? QStringLiteral(" with Shift")
                                                   : QStringLiteral(" with Ctrl")));
    // A press lets go of the keys; a procedure it runs may hold them again.
    mayHold_ = hit && (qobject_cast<QAbstractButton*>(hit) || control == QLatin1String(ui::kWebLink.name));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, modifiers, point);
    if (hit)
        Clicked(shown, control);
}

// Text put into a field as a paste over its whole content would.
void Monkey::TypeText() {
    std::vector<Layout> calculators;
    for (Layout window : Shown())
        if (Harness::CalculatorOf(*window))
            calculators.push_back(window);
    if (calculators.empty())
        return Click();
    const Layout window = calculators[static_cast<std::size_t>(rng_.Below(int(calculators.size())))];
    const QStringList fields = Fields(*Harness::CalculatorOf(*window));
    const QString field = fields[rng_.Below(int(fields.size()))];
    const QString text = AnyText(rng_);
    Note(QStringLiteral("set %1.%2 to %3").arg(QLatin1String(window->name), field, Quote(text)));
    Harness::Edit(Form(window), {qPrintable(field)})->setText(text);
    model_.fields[window][field] = text;
}

// A number typed key by key into whatever has the focus in a window.
void Monkey::TypeKeys() {
    const Layout window = AnyShown(true);
    QString text = NumberText(rng_);
    if (rng_.Chance(10))
        text += QStringLiteral("mm");
    QWidget* focus = Form(window).window()->focusWidget();
    Note(QStringLiteral("type %1 into %2 (focus %3)")
             .arg(Quote(text), QLatin1String(window->name), focus ? focus->objectName() : "-"));
    for (QChar c : text) {
        SendKey(window, CharacterKey(c.toLatin1()));
        if (model_.ended || !model_.shown.count(window))
            break;
    }
}

void Monkey::PressKey() {
    const Layout window = AnyShown(true);
    const Key key = AnyKey(rng_);
    QWidget* focus = Form(window).window()->focusWidget();
    Note(QStringLiteral("key %1 in %2 (focus %3)")
             .arg(KeyName(key), QLatin1String(window->name), focus ? focus->objectName() : "-"));
    SendKey(window, key);
}

// Delivers a key to the window; its focus widget gets it. The text it leaves
// in a field is what an untouched line edit makes of the same key at the same
// caret and selection; Space, Enter and Return on a button click it.
void Monkey::SendKey(Layout shown, const Key& key) {
    mayHold_ = true; // a key may run a procedure
    platform::FormWindow* window = Form(shown).window();
    QWidget* target = window->focusWidget();
    auto* edit = qobject_cast<QLineEdit*>(target);
    QString expected;
    if (edit) {
        shadow_.setText(model_.fields[shown].value(edit->objectName()));
        if (edit->hasSelectedText()) {
            const int start = edit->selectionStart(), length = edit->selectionLength();
            if (edit->cursorPosition() == start)
                shadow_.setSelection(start + length, -length);
            else
                shadow_.setSelection(start, length);
        } else {
            shadow_.setCursorPosition(edit->cursorPosition());
        }
        QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers, key.text);
        QCoreApplication::sendEvent(&shadow_, &press);
        expected = shadow_.text();
    }
    const bool clicks = qobject_cast<QAbstractButton*>(target) &&
                        (key.key == Qt::Key_Space || key.key == Qt::Key_Return || key.key == Qt::Key_Enter);
    if (clicks)
        ++tally_[QStringLiteral("keyboard clicks")];
    const QString control = target ? target->objectName() : QString();
    KeyClick(window->windowHandle(), key);
    if (edit) {
        QString& text = model_.fields[shown][control];
        if (text != expected)
            ++tally_[QStringLiteral("field edits by key")];
        text = expected;
    }
    if (clicks)
        Clicked(shown, control);
}

void Monkey::CloseTitleBar() {
    const Layout window = AnyShown(false);
    ++tally_[QStringLiteral("title-bar closes")];
    Note(QStringLiteral("title-bar close %1").arg(QLatin1String(window->name)));
    Form(window).window()->close();
    Unload(window);
    EndIfNoneShown();
}

void Monkey::Clicked(Layout window, const QString& control) {
    if (model_.ended || !model_.shown.count(window))
        return;
    const ui::Calculator* calculator = Harness::CalculatorOf(*window);
    const bool menu = window == &ui::MenuLayout();
    ++tally_[QString::fromLatin1(calculator ? "calculator " : menu ? "menu " : "sheet ") + control];
    if (menu) {
        for (calc::Formula formula :
             {calc::Formula::Blanking, calc::Formula::Drawing, calc::Formula::Bending})
            if (Is(control, Harness::MenuButton(formula))) {
                Show(&Harness::Calculator(formula).layout);
                Unload(window);
            }
        if (Is(control, ui::kMenuCloseButton))
            End();
    } else if (!calculator) { // the material sheet
        if (Is(control, ui::kSheetCloseButton)) {
            Unload(window);
            EndIfNoneShown();
        }
    } else if (Is(control, ui::kCalculateButton)) {
        const calc::Result c = Calculate(*calculator, model_.fields[window]);
        if (c.fault) {
            model_.reports << ui::FloatingPointReport(c.flags);
            ++tally_[QStringLiteral("faults reported")];
        } else {
            model_.fields[window][platform::ToString(ui::kResultField)] =
                QString::fromUtf16(c.text.data(), static_cast<qsizetype>(c.size));
        }
    } else if (Is(control, ui::kClearButton)) {
        for (const QString& field : Fields(*calculator))
            model_.fields[window][field] = QString();
        expectedFocus_ = {window, platform::ToString(ui::kFirstField)};
    } else if (Is(control, ui::kCloseButton)) {
        End();
    } else if (Is(control, ui::kBackButton)) {
        Show(&ui::MenuLayout());
        Unload(window);
    } else if (Is(control, ui::kMaterialButton)) {
        Show(&ui::MaterialLayout());
        expectedFocus_ = {window, QString::fromLatin1(calculator->lookupField)};
    } else if (Is(control, ui::kWebLink)) {
        ++model_.opened;
    }
}

// A calculator shows with its fields empty.
void Monkey::Show(Layout window) {
    if (!model_.shown.insert(window).second)
        return;
    if (const ui::Calculator* calculator = Harness::CalculatorOf(*window)) {
        auto& fields = model_.fields[window];
        fields.clear();
        for (const QString& field : Fields(*calculator))
            fields[field] = QString();
    }
}

void Monkey::End() {
    model_.shown.clear();
    model_.ended = true;
}

QString Monkey::Tally() const {
    QStringList parts;
    for (auto it = tally_.begin(); it != tally_.end(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    return parts.join(QStringLiteral(", "));
}

QString Monkey::Check() {
    Harness& h = *h_;
    if (h.exitCode.has_value() != model_.ended)
        return model_.ended ? QStringLiteral("the program did not end") : QStringLiteral("the program ended");
    if (h.exitCode && *h.exitCode != 0)
        return QStringLiteral("exit code %1").arg(*h.exitCode);
    for (const QString& report : h.reports)
        if (report.contains(QStringLiteral("程序将结束")))
            return QStringLiteral("a checked call failed: ") + report;
    if (h.reports != model_.reports)
        return QStringLiteral("reports [%1], expected [%2]")
            .arg(h.reports.join(QStringLiteral(" | ")), model_.reports.join(QStringLiteral(" | ")));
    const QUrl site(QStringLiteral("http://") +
                    QString::fromUtf8(ui::kMakerHost.data(), static_cast<qsizetype>(ui::kMakerHost.size())));
    if (h.opened.size() != model_.opened || h.opened.count(site) != h.opened.size())
        return QStringLiteral("%1 browser launches, expected %2 of %3")
            .arg(h.opened.size())
            .arg(model_.opened)
            .arg(site.toString());

    int menuOrCalculators = 0;
    QList<QWidget*> windows;
    for (Layout window : windows_) {
        const bool shown = RealShown(window);
        if (shown != bool(model_.shown.count(window)))
            return QStringLiteral("%1 %2, expected %3")
                .arg(QLatin1String(window->name), shown ? "shown" : "not shown",
                     shown ? "not shown" : "shown");
        if (!shown)
            continue;
        menuOrCalculators += window != &ui::MaterialLayout();
        windows << Form(window).window();
    }
    if (menuOrCalculators > 1)
        return QStringLiteral("%1 of the menu and the calculators shown at once").arg(menuOrCalculators);
    for (QWidget* w : QApplication::topLevelWidgets())
        // An unloaded window may stay a moment, as the activation rule says.
        if (w->isVisible() && !windows.contains(w) && !qobject_cast<platform::FormWindow*>(w))
            return QStringLiteral("a stray window is visible: %1 \"%2\"")
                .arg(QString::fromLatin1(w->metaObject()->className()), w->windowTitle());

    for (Layout window : Shown()) {
        const ui::Calculator* calculator = Harness::CalculatorOf(*window);
        for (const QString& field : calculator ? Fields(*calculator) : QStringList()) {
            const QString expected = model_.fields[window].value(field);
            const QString text = Harness::Text(Form(window), {qPrintable(field)});
            if (text != expected)
                return QStringLiteral("%1.%2 holds %3, expected %4")
                    .arg(QLatin1String(window->name), field, Quote(text), Quote(expected));
        }
    }
    if (expectedFocus_) {
        const auto [window, control] = *expectedFocus_;
        expectedFocus_.reset();
        if (model_.shown.count(window)) {
            QWidget* focus = Form(window).window()->focusWidget();
            const QString name = focus ? focus->objectName() : QStringLiteral("nothing");
            if (name != control)
                return QStringLiteral("the focus in %1 is on %2, expected %3")
                    .arg(QLatin1String(window->name), name, control);
        }
    }
    return {};
}

quint64 EnvironmentNumber(const char* name, quint64 fallback, bool& ok) {
    ok = true;
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value.toULongLong(&ok, 0);
}

} // namespace

namespace {

// The offscreen platform warns on every raise(); thousands of them would bury the
// test's own output under QtTest's warning limit.
QtMessageHandler qtHandler = nullptr;
void DropRaiseWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message == QLatin1String("This plugin does not support raise()"))
        return;
    qtHandler(type, context, message);
}

} // namespace

class TestMonkey : public GuiTest {
    Q_OBJECT
private slots:
    void initTestCase() { qtHandler = qInstallMessageHandler(DropRaiseWarnings); }
    void cleanupTestCase() { qInstallMessageHandler(qtHandler); }
    void randomActions();
};

void TestMonkey::randomActions() {
    bool seedOk = false, countOk = false;
    const quint64 seed = EnvironmentNumber("PF_MONKEY_SEED", kDefaultSeed, seedOk);
    const auto actions =
        static_cast<qint64>(EnvironmentNumber("PF_MONKEY_ACTIONS", kDefaultActions, countOk));
    QVERIFY2(seedOk && countOk, "PF_MONKEY_SEED and PF_MONKEY_ACTIONS take whole numbers");

    QElapsedTimer timer;
    timer.start();
    Monkey monkey(*environment_, seed);
    for (qint64 i = 0; i < actions; ++i) {
        const QString failure = monkey.Step(i);
        if (!failure.isEmpty()) {
            const QString message = QStringLiteral("seed %1, action #%2 (program %3): %4\n"
                                                   "replay: PF_MONKEY_SEED=%1 PF_MONKEY_ACTIONS=%5\n"
                                                   "last actions:\n%6")
                                        .arg(seed)
                                        .arg(i)
                                        .arg(monkey.programs())
                                        .arg(failure)
                                        .arg(i + 1)
                                        .arg(monkey.Log());
            QFAIL(qPrintable(message));
        }
    }
    qInfo("seed %llu: %lld actions, %lld programs started, %lld reports, %.1f s", seed, actions,
          monkey.programs(), monkey.reports(), double(timer.elapsed()) / 1000.0);
    qInfo("procedures: %s", qPrintable(monkey.Tally()));
}

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
