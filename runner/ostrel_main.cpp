// Entry point of the parallel case runner.
#include "runner/ostrel_startup.h"

int main(int argc, char** argv) { return OstrelMain(argc, argv); }
