// zentrip: the desktop program.
#include "app/program/programmer_app.h"

int main(int argc, char** argv) { return zentrip::RunZentrip(argc, argv); }
