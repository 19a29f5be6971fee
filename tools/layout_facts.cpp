// Writes what the scripts that drive the program know of its windows, from the
// layout tables, as KEY='VALUE' lines that a shell sources and Python reads
// (tests/desktop/cases.py). The build writes them to layout_facts.sh in
// the build tree, so that a changed table cannot leave a script behind.
//   layout_facts FILE
//
// For each window W (MENU, BLANKING, DRAWING, BENDING, SHEET): W_TITLE;
// W_AT, the client area's top-left corner on the screen SCREEN, where the
// scripts run the program; W_SIZE, the client area's width and height. For
// each control the scripts use: W_ROLE, its centre in W's client area, and
// W_ROLE_NAME, the name a screen reader reads. A calculator's input fields are
// W_FIELD1, W_FIELD2, ... in tab order; W_FIELDn_INPUT is the field's place,
// from 1, among the formula's inputs. Points and sizes are "X Y" pixels at
// 96 dpi. W_TABS names W's tab stops in tab order, by their keys (the first
// key a control has: W_FIELDn, not W_LOOKUP_FIELD); W_DESCRIPTION is what a
// screen reader is told of a window's picture, where it has one.
// REPORT_TITLE is the title of the run-time error report.
#include "platform/errors.h"
#include "platform/placement.h"
#include "ui/calculator.h"
#include "ui/program_windows.h"
#include "ui/project.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using platform::Control;
using platform::ControlName;
using platform::Px;
using platform::Window;

// The screen of the desktop tests, the screenshots, the package and Wine tests.
constexpr int kScreenWidth = 1600, kScreenHeight = 1000;

// The value in single quotes, for a shell; the tables hold no single quote.
void Print(const std::string& key, const std::string& value) {
    if (value.find('\'') != std::string::npos) {
        std::fprintf(stderr, "layout_facts: %s holds a single quote\n", key.c_str());
        std::exit(1);
    }
    std::printf("%s='%s'\n", key.c_str(), value.c_str());
}

std::string Pair(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

const Control& Find(const Window& window, ControlName name) {
    for (const Control& c : window.controls)
        if (std::strcmp(c.name, name.name) == 0 && c.index == name.index)
            return c;
    std::fprintf(stderr, "layout_facts: %s has no control %s\n", window.name, name.name);
    std::exit(1);
}

// Each control's key, the first it is printed under.
std::map<const Control*, std::string> keys;

std::string SpokenName(const Control& c) { return c.accessibleName ? c.accessibleName : c.text; }

void PrintWindow(const std::string& key, const Window& window) {
    const std::vector<const Window*> arrangement = ui::Arrangement();
    const QRect screen(0, 0, kScreenWidth, kScreenHeight);
    const QRect placed = platform::PlaceWindow(window, arrangement, {screen, screen});
    Print(key + "_TITLE", window.caption);
    Print(key + "_AT", Pair(placed.x(), placed.y()));
    Print(key + "_SIZE", Pair(placed.width(), placed.height()));
    if (window.picture && window.picture->description)
        Print(key + "_DESCRIPTION", window.picture->description);
}

void PrintTabs(const std::string& key, const Window& window) {
    std::vector<const Control*> stops;
    for (const Control& c : window.controls)
        if (platform::TakesFocus(c.kind))
            stops.push_back(&c);
    std::ranges::stable_sort(stops, {}, &Control::tabIndex);
    std::string tabs;
    for (const Control* c : stops) {
        if (!keys.contains(c)) {
            std::fprintf(stderr, "layout_facts: %s's tab stop %s has no key\n", window.name, c->name);
            std::exit(1);
        }
        tabs += (tabs.empty() ? "" : " ") + keys[c];
    }
    Print(key + "_TABS", tabs);
}

void PrintControl(const std::string& key, const Window& window, ControlName name) {
    const Control& c = Find(window, name);
    keys.try_emplace(&c, key);
    Print(key, Pair(Px(c.left) + Px(c.width) / 2, Px(c.top) + Px(c.height) / 2));
    Print(key + "_NAME", SpokenName(c));
}

void PrintCalculator(const std::string& key, const ui::Calculator& calculator, ControlName menuButton) {
    const Window& window = calculator.layout;
    PrintWindow(key, window);
    std::vector<const Control*> inputs;
    for (const char* input : calculator.inputs)
        inputs.push_back(&Find(window, {input}));
    std::ranges::sort(inputs, {}, &Control::tabIndex);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string field = key + "_FIELD" + std::to_string(i + 1);
        PrintControl(field, window, {inputs[i]->name, inputs[i]->index});
        const auto input = std::ranges::find_if(
            calculator.inputs, [&](const char* name) { return std::strcmp(name, inputs[i]->name) == 0; });
        Print(field + "_INPUT", std::to_string(input - calculator.inputs.begin() + 1));
    }
    PrintControl("MENU_" + key, ui::MenuLayout(), menuButton);
    PrintControl(key + "_LOOKUP", window, ui::kMaterialButton);
    PrintControl(key + "_LOOKUP_FIELD", window, {calculator.lookupField});
    PrintControl(key + "_CALCULATE", window, ui::kCalculateButton);
    PrintControl(key + "_CLEAR", window, ui::kClearButton);
    PrintControl(key + "_BACK", window, ui::kBackButton);
    PrintControl(key + "_CLOSE", window, ui::kCloseButton);
    PrintControl(key + "_RESULT", window, ui::kResultField);
    PrintControl(key + "_LINK", window, ui::kWebLink);
    PrintControl(key + "_PICTURE", window, ui::kPicture);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 || !std::freopen(argv[1], "w", stdout)) {
        std::fprintf(stderr, "usage: layout_facts FILE\n");
        return 2;
    }
    std::printf("# What scripts know of the windows, written by layout_facts from the layout tables.\n");
    Print("SCREEN", std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight));
    PrintWindow("MENU", ui::MenuLayout());
    PrintControl("MENU_CLOSE", ui::MenuLayout(), ui::kMenuCloseButton);
    PrintCalculator("BLANKING", ui::BlankingCalculator(), ui::kMenuBlankingButton);
    PrintCalculator("DRAWING", ui::DrawingCalculator(), ui::kMenuDrawingButton);
    PrintCalculator("BENDING", ui::BendingCalculator(), ui::kMenuBendingButton);
    Print("REPORT_TITLE", platform::ReportTitle().toStdString());
    PrintWindow("SHEET", ui::MaterialLayout());
    PrintControl("SHEET_CLOSE", ui::MaterialLayout(), ui::kSheetCloseButton);
    PrintTabs("MENU", ui::MenuLayout());
    PrintTabs("BLANKING", ui::BlankingCalculator().layout);
    PrintTabs("DRAWING", ui::DrawingCalculator().layout);
    PrintTabs("BENDING", ui::BendingCalculator().layout);
    PrintTabs("SHEET", ui::MaterialLayout());
    return std::fflush(stdout) == 0 ? 0 : 1;
}
