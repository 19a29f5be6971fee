#include "ui/project.h"

int main(int argc, char* argv[]) { return ui::Main(argc, argv); }
