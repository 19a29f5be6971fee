#include "ui/calculator.h"

#include "platform/accessible.h"
#include "ui/project.h"

#include <string>
#include <vector>

namespace ui {

CalculatorForm::CalculatorForm(Project& project, const Calculator& calculator)
    : platform::Form(calculator.layout), project_(project), calculator_(calculator) {}

void CalculatorForm::BindEvents() {
    project_.runtime.OnClick(*this, kCalculateButton, [this] { Calculate(); });
    project_.runtime.OnClick(*this, kClearButton, [this] { Clear(); });
    project_.runtime.OnClick(*this, kCloseButton, [this] { project_.runtime.End(); });
    project_.runtime.OnClick(*this, kBackButton,
                             [this] { platform::WindowSwitch(project_.runtime, *this, project_.Form4); });
    project_.runtime.OnClick(*this, kMaterialButton, [this] { OpenMaterialTable(); });
    project_.runtime.OnClick(*this, kWebLink, [this] { OpenWebSite(); });
    for (const ArrowMoves& moves : calculator_.arrows)
        project_.runtime.OnKeyDown(*this, {moves.field},
                                   [this, &moves](platform::KeyCode key) { ArrowKey(moves, key); });
}

QString FloatingPointReport(unsigned flags) {
    QString text = QStringLiteral("浮点运算错误：");
    if (flags & calc::FpInvalid)
        text += QStringLiteral("无效的浮点运算（如 0÷0、∞×0）。");
    if (flags & calc::FpDivByZero)
        text += QStringLiteral("除数为零。");
    if (flags & calc::FpOverflow)
        text += QStringLiteral("计算结果超出单精度数的范围（溢出）。");
    return text + QStringLiteral("\n请检查输入的数据。");
}

void CalculatorForm::Calculate() {
    // The calculation clears the floating-point status right after it reads
    // each text, as after a fetch: fetching all first changes nothing.
    std::vector<std::u16string> texts;
    for (const char* input : calculator_.inputs)
        texts.push_back(project_.runtime.FetchText(*this, {input}).toStdU16String());
    const calc::Result result = calc::Calculate(calculator_.formula, texts, status_);
    if (result.fault) { // the calculation stopped at its fault check; nothing was changed
        project_.runtime.Report(FloatingPointReport(result.flags));
        return;
    }
    const QString text = QString::fromUtf16(result.text.data(), static_cast<qsizetype>(result.size));
    project_.runtime.SetText(*this, kResultField, text);
    // The focus stays where it is: screen readers speak the result at once.
    platform::Announce(window(), Control(kResultField)->accessibleName() + QLatin1Char(' ') + text);
}

void CalculatorForm::Clear() {
    for (const char* field : calculator_.inputs)
        project_.runtime.SetText(*this, {field}, QString());
    project_.runtime.SetText(*this, kResultField, QString());
    project_.runtime.SetFocus(*this, kFirstField);
}

void CalculatorForm::OpenMaterialTable() {
    platform::Form& sheet = project_.Form5;
    project_.runtime.Show(sheet);
    project_.runtime.SetFocus(*this, {calculator_.lookupField});
    // The sheet opens without the focus: screen readers say that it opened.
    platform::Announce(window(),
                       sheet.window()->windowTitle() + QLatin1Char(' ') +
                           sheet.window()->accessibleDescription().section(QLatin1Char('\n'), 0, 0));
}

void CalculatorForm::OpenWebSite() {
    const std::u16string commandLine =
        u"explorer.exe http://" +
        QString::fromUtf8(kMakerHost.data(), static_cast<qsizetype>(kMakerHost.size())).toStdU16String();
    project_.runtime.Launch(commandLine);
}

// The same move with Shift, Ctrl or Alt held; the key goes on to the field.
void CalculatorForm::ArrowKey(const ArrowMoves& moves, platform::KeyCode key) {
    using platform::KeyCode;
    const char* target = key == KeyCode::Down   ? moves.down
                         : key == KeyCode::Up   ? moves.up
                         : key == KeyCode::Left ? moves.left
                                                : nullptr;
    if (target)
        project_.runtime.SetFocus(*this, {target});
}

} // namespace ui
