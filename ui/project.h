// The program: its runtime and its five windows, and the start-up that shows
// the main menu.
#pragma once

#include "platform/runtime.h"
#include "ui/calculator.h"
#include "ui/program_windows.h"

#include <functional>
#include <vector>

class QApplication;

namespace ui {

class Environment;

// The whole program from its command line: answers --help and --version,
// opens the display, calls `opened` with the new application (benchmarks
// watch it from there) and runs the program; returns the exit code.
int Main(int argc, char* argv[], const std::function<void(QApplication&)>& opened = {});

// The program: sets up its environment, shows the main menu and runs the
// event loop until the program ends; returns the exit code.
int Run(QApplication& app);

// Every window's layout: the windows open placed together.
std::vector<const platform::Window*> Arrangement();

// The runtime and the one instance of each window, which exists from the start
// and is loaded when shown. Members are destroyed in the reverse of their
// order: the windows before the runtime that shows them.
class Project {
public:
    // The windows' text is in `environment`'s fonts; `hooks` as the runtime takes them.
    explicit Project(Environment& environment, platform::RuntimeHooks hooks = {});
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // Loads and shows the main menu, and nothing else.
    void Start() { runtime.Show(Form4); }

    platform::Runtime runtime;
    CalculatorForm Form1; // blanking force
    CalculatorForm Form2; // drawing force
    CalculatorForm Form3; // bending force
    MenuForm Form4;       // main menu
    MaterialForm Form5;   // material properties
};

} // namespace ui
