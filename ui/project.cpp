#include "ui/project.h"

#include "ui/calculator.h"
#include "ui/windows.h"

namespace ui {

Project::Project(platform::Runtime& runtime) : runtime_(runtime) {
    runtime_.arrangement = {&BlankingCalculator().layout, &DrawingCalculator().layout, &BendingCalculator().layout,
                            &MenuLayout(), &MaterialLayout()};
}

Project::~Project() {
    // Windows go before the runtime they were registered with.
    for (auto& instance : instances_)
        instance.reset();
}

platform::Form& Project::Form1() {
    if (!instances_[0])
        instances_[0] = std::make_unique<CalculatorForm>(*this, BlankingCalculator());
    return *instances_[0];
}

platform::Form& Project::Form2() {
    if (!instances_[1])
        instances_[1] = std::make_unique<CalculatorForm>(*this, DrawingCalculator());
    return *instances_[1];
}

platform::Form& Project::Form3() {
    if (!instances_[2])
        instances_[2] = std::make_unique<CalculatorForm>(*this, BendingCalculator());
    return *instances_[2];
}

platform::Form& Project::Form4() {
    if (!instances_[3])
        instances_[3] = MakeMenuForm(*this);
    return *instances_[3];
}

platform::Form& Project::Form5() {
    if (!instances_[4])
        instances_[4] = MakeMaterialForm(*this);
    return *instances_[4];
}

bool Project::IsCreated(int n) const { return n >= 1 && n <= 5 && instances_[static_cast<std::size_t>(n - 1)]; }

void Project::Start() {
    runtime_.warmUpLayouts = {&BlankingCalculator().layout, &DrawingCalculator().layout, &BendingCalculator().layout};
    runtime_.Show(Form4());
}

} // namespace ui
