#include "ui/calculator.h"

#include "platform/fields.h"
#include "ui/project.h"

#include <array>

namespace ui {

namespace {
constexpr int kLeftArrow = 37;
constexpr int kUpArrow = 38;
constexpr int kDownArrow = 40;
constexpr int kMinimisedWithFocus = 2;
} // namespace

CalculatorForm::CalculatorForm(Project& project, const Calculator& calculator)
    : platform::Form(project.runtime(), calculator.layout), project_(project), calculator_(calculator) {}

void CalculatorForm::BindEvents() {
    OnClick({"Command1"}, [this] { Calculate(); });
    OnClick({"Command2"}, [this] { Clear(); });
    OnClick({"Command3"}, [this] { runtime().End(); });
    OnClick({"Command4"}, [this] { Back(); });
    OnClick({"Command5"}, [this] { OpenMaterialTable(); });
    OnClick({"Label6"}, [this] { OpenWebSite(); });
    for (const ArrowMoves& moves : calculator_.arrows)
        OnKeyDown({moves.field}, [this, &moves](int& keyCode, int shift) { ArrowKey(moves, keyCode, shift); });
}

void CalculatorForm::Calculate() {
    std::array<float, 4> values{};
    const auto inputs = calculator_.inputs;
    for (std::size_t i = 0; i < inputs.size(); ++i)
        values[i] = platform::ReadFieldValue(runtime(), *this, {inputs[i]});
    const float force = calculator_.formula(std::span(values.data(), inputs.size()), runtime().FpStatus());
    platform::ShowForce(runtime(), *this, force);
}

void CalculatorForm::Clear() {
    for (const char* field : calculator_.inputs)
        runtime().SetText(*this, {field}, QString());
    runtime().SetText(*this, {"Text5"}, QString());
    runtime().SetFocus(*this, {"Text1"});
}

void CalculatorForm::Back() { platform::WindowSwitch(runtime(), *this, project_.Form4()); }

void CalculatorForm::OpenMaterialTable() {
    runtime().Show(project_.Form5());
    runtime().SetFocus(*this, {calculator_.lookupField});
}

void CalculatorForm::OpenWebSite() {
    const std::u16string commandLine =
        u"explorer.exe http://" + QString::fromUtf8(kMakerHost.data(), static_cast<qsizetype>(kMakerHost.size()))
                                      .toStdU16String();
    runtime().Launch(commandLine, kMinimisedWithFocus);
}

void CalculatorForm::ArrowKey(const ArrowMoves& moves, int& keyCode, int /*shift: ignored*/) {
    const char* target = keyCode == kDownArrow ? moves.down
                         : keyCode == kUpArrow ? moves.up
                         : keyCode == kLeftArrow ? moves.left
                                                 : nullptr;
    if (target)
        runtime().SetFocus(*this, {target});
}

} // namespace ui
