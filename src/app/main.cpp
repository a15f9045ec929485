// Vandrel: computes file digests on a desktop.
#include "app/startup.h"

int main(int argc, char** argv) { vandrel::RunVandrel(argc, argv); }
