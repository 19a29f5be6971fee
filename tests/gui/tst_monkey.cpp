// A seeded monkey: thousands of random user actions against the real windows.
// After every action, everything a user could see is compared with a model of
// what the action should have done: which windows are shown, the text of every
// field, the focus, the reports, the browser launches and the end of the
// program. When a program ends, the next one starts and the count goes on.
//
//   PF_MONKEY_SEED=n     another sequence
//   PF_MONKEY_ACTIONS=n  another length; a failure prints the pair that replays it
#include "harness.h"

#include "platform/controls.h"

#include <QElapsedTimer>
#include <QKeySequence>
#include <QWindow>

#include <map>
#include <random>
#include <set>
#include <string_view>

namespace {

constexpr quint64 kDefaultSeed = 20120316;
constexpr qint64 kDefaultActions = 20000;
constexpr qsizetype kLogLength = 20;

// A window by its layout table; ui::Arrangement() lists them in the project's order.
using Layout = const platform::Window*;

bool Is(const QString& control, platform::ControlName name) { return control == platform::ToString(name); }
QString Name(const platform::Control& c) { return platform::ToString({c.name, c.index}); }

// Whether a press on the control ends the program: the menu's and the calculators' close buttons.
bool Ends(Layout window, const QString& control) {
    return window == &ui::MenuLayout() ? Is(control, ui::kMenuCloseButton)
                                       : Harness::Row(*window).calculator && Is(control, ui::kCloseButton);
}

// The inputs in reading order, then the result.
QStringList Fields(const ui::Calculator& calculator) {
    QStringList fields;
    for (const char* input : calculator.inputs)
        fields << QString::fromLatin1(input);
    return fields << platform::ToString(ui::kResultField);
}

// A text for the log, quoted and escaped as QDebug does; long texts cut.
QString Quote(const QString& s) {
    QString out;
    QDebug(&out).nospace() << (s.size() > 40 ? s.first(24) : s);
    return s.size() > 40 ? out + QStringLiteral("…(%1 chars)").arg(s.size()) : out;
}

class Random {
public:
    explicit Random(quint64 seed) : engine_(seed) {}
    // The modulo keeps a seed's sequence the same with every standard library.
    int Below(int n) { return static_cast<int>(engine_() % static_cast<quint64>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class Items> decltype(auto) Pick(const Items& items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(std::size(items))))];
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

// A number with most of its characters in their full-width forms.
QString FullWidth(const QString& ascii, Random& rng) {
    static constexpr QStringView kAscii = u"0123456789.+-eE", kWide = u"０１２３４５６７８９．＋－ｅＥ";
    QString s;
    for (QChar c : ascii) {
        const qsizetype i = rng.Chance(80) ? kAscii.indexOf(c) : -1;
        s += i < 0 ? c : kWide[i];
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
    static constexpr std::u16string_view kJunk = u"0123456789.+-eE ．＋－ｅＥ０１２３４５６７８９\u3000\tab😀";
    // clang-format on
    switch (rng.Below(20)) {
    case 0: return QString();
    case 1: return QString::fromUtf8(rng.Pick(kWords));
    case 2:
    case 3: return QString::fromUtf16(rng.Pick(kOdd));
    case 4: return FullWidth(NumberText(rng), rng);
    case 5: {
        static const QString kLong[] = {QString(10000, QLatin1Char('9')),
                                        QStringLiteral("0.") + QString(9997, QLatin1Char('0')) + u'1',
                                        QStringLiteral("1") + QString(5000, QLatin1Char('0')) +
                                            QStringLiteral("e-5000"),
                                        QString(10000, QLatin1Char('x')),
                                        QString(5000, QChar(u'\u3000')) + u'5',
                                        QString::fromUtf16(u"😀").repeated(5000)};
        return rng.Pick(kLong);
    }
    case 6: {
        QString s;
        const int length = 1 + rng.Below(30);
        for (int i = 0; i < length; ++i)
            s += QChar(rng.Pick(kJunk));
        return s;
    }
    case 7:
        if (depth == 0)
            return AnyText(rng, 1) + AnyText(rng, 1);
        [[fallthrough]];
    default: return NumberText(rng);
    }
}

// A key as the window system delivers it.
struct Key {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers;
};

// The modifiers and their own keys, in the order a user presses them.
constexpr std::pair<Qt::KeyboardModifier, Qt::Key> kModifierKeys[] = {{Qt::ShiftModifier, Qt::Key_Shift},
                                                                      {Qt::ControlModifier, Qt::Key_Control},
                                                                      {Qt::AltModifier, Qt::Key_Alt},
                                                                      {Qt::MetaModifier, Qt::Key_Meta}};
constexpr Qt::KeyboardModifier kFewModifiers[] = {Qt::NoModifier, Qt::NoModifier, Qt::NoModifier,
                                                  Qt::ShiftModifier, Qt::ControlModifier};

Qt::KeyboardModifiers AnyModifiers(Random& rng) {
    Qt::KeyboardModifiers m;
    for (const auto& [modifier, key] : kModifierKeys)
        if (rng.Chance(25))
            m |= modifier;
    return m;
}

// The key of a character a user types: digits, letters and the signs of a number.
Key CharacterKey(QChar c) {
    return {Qt::Key(c.toUpper().unicode()), QString(c), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier};
}

Key AnyKey(Random& rng) {
    static constexpr Qt::Key kArrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    // Keys with a text of their own, by the top of their share of a hundred.
    static constexpr std::tuple<int, Qt::Key, char> kPlain[] = {
        {37, Qt::Key_Tab, '\t'},  {45, Qt::Key_Return, '\r'},    {53, Qt::Key_Space, ' '},
        {58, Qt::Key_Escape, 27}, {66, Qt::Key_Backspace, '\b'}, {70, Qt::Key_Delete, 127}};
    static constexpr std::string_view kSigns = "0123456789.-+e";
    // Undo and redo replay an edit history the model does not keep.
    static const QList<QKeySequence> history =
        QKeySequence::keyBindings(QKeySequence::Undo) + QKeySequence::keyBindings(QKeySequence::Redo);
    for (;;) {
        const int r = rng.Below(100);
        Key k{Qt::Key_Escape, QString(), Qt::NoModifier};
        if (r < 30) {
            k = {rng.Pick(kArrows), QString(), AnyModifiers(rng)};
        } else if (r < 70) {
            const auto [below, key, text] = *std::find_if(std::begin(kPlain), std::end(kPlain),
                                                          [r](auto& p) { return r < std::get<0>(p); });
            // Return, or as often the keypad's Enter.
            k = {key != Qt::Key_Return || rng.Chance(50) ? key : Qt::Key_Enter, QString(QLatin1Char(text)),
                 rng.Pick(kFewModifiers)};
        } else if (r < 86) {
            const int letter = rng.Below(26);
            static constexpr Qt::KeyboardModifier kWith[] = {
                Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier};
            const Qt::KeyboardModifier m = rng.Pick(kWith);
            const int text =
                m == Qt::ControlModifier ? 1 + letter : (m == Qt::ShiftModifier ? 'A' : 'a') + letter;
            k = {Qt::Key(Qt::Key_A + letter), QString(QChar(text)), m};
        } else {
            k = CharacterKey(QLatin1Char(rng.Pick(kSigns)));
        }
        if (!history.contains(QKeySequence(QKeyCombination(k.modifiers, k.key))))
            return k;
    }
}

// A key press and release as the window system sends them, the modifier keys
// around them, each delivered at once. Stops when the window has gone: a key
// can unload its window, and the next event loop pass deletes it.
void KeyClick(QWindow* window, const Key& k) {
    const QPointer<QWindow> target(window);
    Qt::KeyboardModifiers held;
    auto send = [&](QEvent::Type type, int key, const QString& text = QString()) {
        if (!target)
            return;
        qt_handleKeyEvent(target, type, key, held, text);
        QCoreApplication::processEvents();
    };
    for (const auto& [modifier, key] : kModifierKeys)
        if (k.modifiers & modifier) {
            send(QEvent::KeyPress, key);
            held |= modifier;
        }
    send(QEvent::KeyPress, k.key, k.text);
    send(QEvent::KeyRelease, k.key, k.text);
    for (auto it = std::rbegin(kModifierKeys); it != std::rend(kModifierKeys); ++it)
        if (k.modifiers & it->first) {
            held &= ~it->first;
            send(QEvent::KeyRelease, it->second);
        }
}

class Monkey {
public:
    Monkey(ui::Environment& environment, quint64 seed) : environment_(environment), seed_(seed), rng_(seed) {
        StartProgram();
    }

    // The actions and the checks after each; a failure with the pair that replays it, or empty.
    QString Run(qint64 actions) {
        QElapsedTimer timer;
        timer.start();
        for (index_ = 0; index_ < actions; ++index_)
            if (const QString failure = Step(); !failure.isEmpty())
                return QStringLiteral("seed %1, action #%2 (program %3): %4\n"
                                      "replay: PF_MONKEY_SEED=%1 PF_MONKEY_ACTIONS=%5\nlast actions:\n%6")
                    .arg(QString::number(seed_), QString::number(index_), QString::number(programs_), failure,
                         QString::number(index_ + 1), log_.join(QLatin1Char('\n')));
        qInfo("seed %llu: %lld actions, %lld programs started, %.1f s", seed_, actions, programs_,
              double(timer.elapsed()) / 1000.0);
        qInfo() << "procedures, by what the model expected:" << tally_;
        return {};
    }

private:
    // What a user should see, and where the focus should go.
    struct Model {
        std::set<Layout> shown;
        std::map<Layout, QMap<QString, QString>> fields; // the calculators': field -> text, empty if missing
        QStringList reports;
        int opened = 0;
        bool ended = false;
        std::optional<std::pair<Layout, QString>> focus; // window, control
        // A procedure may have run since the last press: keys typed may be held for its window.
        bool mayHold = false;
    };

    void StartProgram() {
        h_.reset();
        Harness::Flush();
        h_ = std::make_unique<Harness>(environment_);
        model_ = Model{};
        ++programs_;
        Note(QStringLiteral("start program %1").arg(programs_));
        h_->project.Start();
        Show(&ui::MenuLayout());
        QCoreApplication::processEvents();
        Harness::Flush();
    }

    platform::Form& Form(Layout window) const { return h_->Form(*window); }
    QString FocusName(Layout window, const char* none) const {
        QWidget* focus = Form(window).window()->focusWidget();
        return focus ? focus->objectName() : QString::fromLatin1(none);
    }

    // The shown windows, or the shown calculators, in the project's order.
    std::vector<Layout> Shown(bool calculators = false) const {
        std::vector<Layout> shown;
        for (Layout window : windows_)
            if (model_.shown.count(window) && (!calculators || Harness::Row(*window).calculator))
                shown.push_back(window);
        return shown;
    }

    // A shown window; mostly the active one, as a user mostly works in it. Right
    // after a procedure, keys reach only the window it activated (as a window
    // system delivers them; those sent to another window go there too).
    Layout AnyShown(bool preferActive) {
        const std::vector<Layout> shown = Shown();
        if (preferActive && (model_.mayHold || rng_.Chance(70)))
            for (Layout window : shown)
                if (Form(window).window() == QApplication::activeWindow())
                    return window;
        return rng_.Pick(shown);
    }

    void Note(const QString& action) {
        log_ << QStringLiteral("#%1 %2").arg(index_).arg(action);
        if (log_.size() > kLogLength)
            log_.removeFirst();
    }

    // One random action and the checks after it; a failure's description, or empty.
    QString Step() {
        const int r = rng_.Below(100);
        if (r < 38)
            Click();
        else if (r < 56)
            TypeText();
        else if (r < 98)
            TypeKeys(r < 64);
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
    void Click() {
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
                if (!active || c.kind == platform::Kind::Button || Is(Name(c), ui::kWebLink))
                    controls.push_back(&c);
            const platform::Control* c = rng_.Pick(controls);
            // The close buttons end the program; fewer of them let programs live longer.
            if (Ends(shown, Name(*c)) && rng_.Chance(70))
                c = rng_.Pick(controls);
            QRect r = Form(shown).Control({c->name, c->index})->geometry();
            if (c->kind == platform::Kind::Button)
                r = r.marginsRemoved(QMargins(r.width() / 4, r.height() / 4, r.width() / 4, r.height() / 4));
            point = r.topLeft() + QPoint(rng_.Below(r.width()), rng_.Below(r.height()));
        }
        if (point.isNull())
            point = QPoint(1, 1); // (0, 0) would mean the window's centre
        QWidget* hit = window->childAt(point);
        while (hit && hit->parentWidget() != window)
            hit = hit->parentWidget();
        const Qt::KeyboardModifiers modifiers = rng_.Chance(90) ? Qt::NoModifier : rng_.Pick(kFewModifiers);
        const QString control = hit ? hit->objectName() : QStringLiteral("<window>");
        Note(QStringLiteral("click %1.%2 at (%3,%4)%5")
                 .arg(QLatin1String(shown->name), control, QString::number(point.x()),
                      QString::number(point.y()),
                      modifiers ? QStringLiteral(" with ") + QKeySequence(modifiers.toInt()).toString()
                                : QString()));
        // A press lets go of the keys; a procedure it runs may hold them again.
        model_.mayHold = hit && (qobject_cast<QAbstractButton*>(hit) || Is(control, ui::kWebLink));
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, modifiers, point);
        if (hit)
            Clicked(shown, control);
    }

    // Text put into a field as a paste over its whole content would.
    void TypeText() {
        const std::vector<Layout> calculators = Shown(true);
        if (calculators.empty())
            return Click();
        const Layout window = rng_.Pick(calculators);
        const QString field = rng_.Pick(Fields(*Harness::Row(*window).calculator));
        const QString text = AnyText(rng_);
        Note(QStringLiteral("set %1.%2 to %3").arg(QLatin1String(window->name), field, Quote(text)));
        Harness::Edit(Form(window), {qPrintable(field)})->setText(text);
        model_.fields[window][field] = text;
    }

    // A number typed key by key, or any one key, into whatever has the focus in a window.
    void TypeKeys(bool number) {
        const Layout window = AnyShown(true);
        std::vector<Key> keys;
        QString typed;
        if (number) {
            QString text = NumberText(rng_);
            if (rng_.Chance(10))
                text += QStringLiteral("mm");
            for (QChar c : text)
                keys.push_back(CharacterKey(c));
            typed = QStringLiteral("type ") + Quote(text);
        } else {
            keys = {AnyKey(rng_)};
            const QKeySequence sequence(QKeyCombination(keys[0].modifiers, keys[0].key));
            typed = QStringLiteral("key ") + sequence.toString(QKeySequence::PortableText);
        }
        Note(QStringLiteral("%1 in %2 (focus %3)")
                 .arg(typed, QLatin1String(window->name), FocusName(window, "-")));
        for (const Key& key : keys)
            if (!model_.ended && model_.shown.count(window))
                SendKey(window, key);
    }

    // Delivers a key to the window; its focus widget gets it. The text it leaves
    // in a field is what an untouched line edit makes of the same key at the same
    // caret and selection; Space, Enter and Return on a button click it.
    void SendKey(Layout shown, const Key& key) {
        model_.mayHold = true; // a key may run a procedure
        platform::FormWindow* window = Form(shown).window();
        QWidget* target = window->focusWidget();
        const QString control = target ? target->objectName() : QString();
        auto* edit = qobject_cast<QLineEdit*>(target);
        QString expected;
        if (edit) {
            shadow_.setText(model_.fields[shown].value(control));
            // The selection runs from its anchor to the caret.
            const int caret = edit->cursorPosition(), start = edit->selectionStart();
            const int anchor = start < 0 ? caret : start == caret ? edit->selectionEnd() : start;
            shadow_.setSelection(anchor, caret - anchor);
            QKeyEvent press(QEvent::KeyPress, key.key, key.modifiers, key.text);
            QCoreApplication::sendEvent(&shadow_, &press);
            expected = shadow_.text();
        }
        // Read before the key: it may unload the window, and with it the target.
        const bool clicks =
            qobject_cast<QAbstractButton*>(target) &&
            (key.key == Qt::Key_Space || key.key == Qt::Key_Return || key.key == Qt::Key_Enter);
        KeyClick(window->windowHandle(), key);
        if (edit) {
            QString& text = model_.fields[shown][control];
            if (text != expected)
                ++tally_[QStringLiteral("field edits by key")];
            text = expected;
        }
        if (clicks) {
            ++tally_[QStringLiteral("keyboard clicks")];
            Clicked(shown, control);
        }
    }

    void CloseTitleBar() {
        const Layout window = AnyShown(false);
        ++tally_[QStringLiteral("title-bar closes")];
        Note(QStringLiteral("title-bar close %1").arg(QLatin1String(window->name)));
        Form(window).window()->close();
        Unload(window);
    }

    // What the program should do.
    void Clicked(Layout window, const QString& control) {
        if (model_.ended || !model_.shown.count(window))
            return;
        const ui::Calculator* calculator = Harness::Row(*window).calculator;
        const bool menu = window == &ui::MenuLayout();
        ++tally_[QString::fromLatin1(calculator ? "calculator " : menu ? "menu " : "sheet ") + control];
        if (Ends(window, control)) {
            model_.shown.clear();
            model_.ended = true;
        } else if (menu) {
            for (calc::Formula formula :
                 {calc::Formula::Blanking, calc::Formula::Drawing, calc::Formula::Bending})
                if (Is(control, Harness::Row(formula).menuButton))
                    Replace(window, Harness::Row(formula).layout);
        } else if (!calculator) { // the material sheet
            if (Is(control, ui::kSheetCloseButton))
                Unload(window);
        } else if (Is(control, ui::kCalculateButton)) {
            // What 计算 does with the calculator's texts.
            std::vector<std::u16string> texts;
            for (const char* input : calculator->inputs)
                texts.push_back(model_.fields[window].value(QString::fromLatin1(input)).toStdU16String());
            calc::FpStatus status;
            const calc::Result c = calc::Calculate(calculator->formula, texts, status);
            if (c.fault) {
                model_.reports << ui::FloatingPointReport(c.flags);
                ++tally_[QStringLiteral("faults reported")];
            } else {
                model_.fields[window][platform::ToString(ui::kResultField)] =
                    QString::fromUtf16(c.text.data(), static_cast<qsizetype>(c.size));
            }
        } else if (Is(control, ui::kClearButton)) {
            model_.fields.erase(window);
            model_.focus = {window, platform::ToString(ui::kFirstField)};
        } else if (Is(control, ui::kBackButton)) {
            Replace(window, &ui::MenuLayout());
        } else if (Is(control, ui::kMaterialButton)) {
            Show(&ui::MaterialLayout());
            model_.focus = {window, QString::fromLatin1(calculator->lookupField)};
        } else if (Is(control, ui::kWebLink)) {
            ++model_.opened;
        }
    }
    // A calculator shows with its fields empty.
    void Show(Layout window) {
        if (model_.shown.insert(window).second)
            model_.fields.erase(window);
    }
    // The program ends when its last window unloads.
    void Unload(Layout window) {
        model_.shown.erase(window);
        model_.ended = model_.ended || model_.shown.empty();
    }
    void Replace(Layout window, Layout by) {
        Show(by);
        Unload(window);
    }

    QString Check() {
        const Harness& h = *h_;
        if (h.exitCode.has_value() != model_.ended)
            return QStringLiteral("the program %1").arg(model_.ended ? "did not end" : "ended");
        if (h.exitCode && *h.exitCode != 0)
            return QStringLiteral("exit code %1").arg(*h.exitCode);
        for (const QString& report : h.reports)
            if (report.contains(QStringLiteral("程序将结束")))
                return QStringLiteral("a checked call failed: ") + report;
        if (h.reports != model_.reports)
            return QStringLiteral("reports [%1], expected [%2]")
                .arg(h.reports.join(QStringLiteral(" | ")), model_.reports.join(QStringLiteral(" | ")));
        const QUrl site(QStringLiteral("http://") + QString::fromUtf8(ui::kMakerHost));
        if (h.opened.size() != model_.opened || h.opened.count(site) != h.opened.size())
            return QStringLiteral("%1 browser launches, expected %2 of %3")
                .arg(QString::number(h.opened.size()), QString::number(model_.opened), site.toString());
        int menuOrCalculators = 0;
        for (Layout window : windows_) {
            const bool shown = Form(window).IsShown();
            if (shown != bool(model_.shown.count(window)))
                return QStringLiteral("%1 %2, against the model")
                    .arg(QLatin1String(window->name), shown ? "shown" : "not shown");
            menuOrCalculators += shown && window != &ui::MaterialLayout();
            const ui::Calculator* calculator = shown ? Harness::Row(*window).calculator : nullptr;
            for (const QString& field : calculator ? Fields(*calculator) : QStringList()) {
                const QString expected = model_.fields[window].value(field);
                const QString text = Harness::Text(Form(window), {qPrintable(field)});
                if (text != expected)
                    return QStringLiteral("%1.%2 holds %3, expected %4")
                        .arg(QLatin1String(window->name), field, Quote(text), Quote(expected));
            }
        }
        if (menuOrCalculators > 1)
            return QStringLiteral("%1 of the menu and the calculators shown at once").arg(menuOrCalculators);
        // Any of the program's windows may stay a moment after it unloads, as the activation rule says.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !qobject_cast<platform::FormWindow*>(w))
                return QStringLiteral("a stray window is visible: %1 \"%2\"")
                    .arg(QString::fromLatin1(w->metaObject()->className()), w->windowTitle());
        const auto focus = std::exchange(model_.focus, std::nullopt);
        if (focus && model_.shown.count(focus->first) && FocusName(focus->first, "nothing") != focus->second)
            return QStringLiteral("the focus in %1 is on %2, expected %3")
                .arg(QLatin1String(focus->first->name), FocusName(focus->first, "nothing"), focus->second);
        return {};
    }

    ui::Environment& environment_;
    const quint64 seed_;
    const std::vector<Layout> windows_ = ui::Arrangement();
    Random rng_;
    std::unique_ptr<Harness> h_;
    Model model_;
    QLineEdit shadow_; // an untouched line edit: what a key does to a field's text
    QStringList log_;
    QMap<QString, qint64> tally_;
    qint64 index_ = -1;
    qint64 programs_ = 0;
};

quint64 EnvironmentNumber(const char* name, quint64 fallback, bool& ok) {
    ok = true;
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value.toULongLong(&ok, 0);
}

// The offscreen platform warns on every raise(); thousands of them would bury the
// test's own output under QtTest's warning limit.
QtMessageHandler qtHandler = nullptr;
void DropRaiseWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtWarningMsg || message != QLatin1String("This plugin does not support raise()"))
        qtHandler(type, context, message);
}

} // namespace

class TestMonkey : public GuiTest {
    Q_OBJECT
private slots:
    void initTestCase() { qtHandler = qInstallMessageHandler(DropRaiseWarnings); }
    void cleanupTestCase() { qInstallMessageHandler(qtHandler); }

    void randomActions() {
        bool seedOk = false, countOk = false;
        const quint64 seed = EnvironmentNumber("PF_MONKEY_SEED", kDefaultSeed, seedOk);
        const auto actions =
            static_cast<qint64>(EnvironmentNumber("PF_MONKEY_ACTIONS", kDefaultActions, countOk));
        QVERIFY2(seedOk && countOk, "PF_MONKEY_SEED and PF_MONKEY_ACTIONS take whole numbers");
        const QString failure = Monkey(*environment_, seed).Run(actions);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
