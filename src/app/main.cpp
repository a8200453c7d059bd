#include "app/start/Launcher.h"

int main(int argc, char** argv) {
    return qorprt::LaunchProgram(argc, argv);
}
