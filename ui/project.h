// The project: five windows, each with one default instance created on first
// reference, and the start-up that shows the main menu.
#pragma once

#include "platform/form.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QApplication;

namespace ui {

// The whole program from its command line: answers --help and --version,
// opens the display, calls `opened` with the new application (benchmarks
// watch it from there) and runs the program; returns the exit code.
int Main(int argc, char* argv[], const std::function<void(QApplication&)>& opened = {});

// The program: sets up its environment, shows the main menu and runs the
// event loop until the program ends; returns the exit code.
int Run(QApplication& app);

// Every window's layout: the windows open placed together.
std::vector<const platform::Window*> Arrangement();

class Project {
public:
    explicit Project(platform::Runtime& runtime);
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    platform::Runtime& runtime() const { return runtime_; }

    // Default instances by name; the first reference creates the instance.
    platform::Form& Form1(); // blanking force
    platform::Form& Form2(); // drawing force
    platform::Form& Form3(); // bending force
    platform::Form& Form4(); // main menu
    platform::Form& Form5(); // material properties

    // Whether FormN (1..5) has an instance yet.
    bool IsCreated(int n) const;

    // Creates, loads and shows the main menu, and nothing else.
    void Start();

private:
    // FormN's instance, made by `make` on first reference and adopted by the runtime.
    template <class Make> platform::Form& Instance(int n, Make make);

    platform::Runtime& runtime_;
    std::array<platform::Form*, 5> instances_{};
};

} // namespace ui
