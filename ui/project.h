// The project: five windows, each with one default instance created on first
// reference, and the start-up that shows the main menu.
#pragma once

#include "platform/form.h"

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

    // The default instance of the window whose layout table this is, one of
    // Arrangement()'s; the first reference creates the instance.
    platform::Form& Form(const platform::Window& layout);
    // Whether that window has an instance yet.
    bool IsCreated(const platform::Window& layout) const;

    // Default instances by name.
    platform::Form& Form1(); // blanking force
    platform::Form& Form2(); // drawing force
    platform::Form& Form3(); // bending force
    platform::Form& Form4(); // main menu
    platform::Form& Form5(); // material properties

    // Creates, loads and shows the main menu, and nothing else.
    void Start();

private:
    // The window's place in the arrangement, which is its instance's place.
    std::size_t Slot(const platform::Window& layout) const;

    platform::Runtime& runtime_;
    const std::vector<const platform::Window*> layouts_ = Arrangement();
    std::vector<platform::Form*> instances_ = std::vector<platform::Form*>(layouts_.size());
};

} // namespace ui
