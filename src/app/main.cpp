#include <cstdio>

#include "app/Snapshot.h"

int main(int argc, char** argv) {
    // The snapshot mode ends the process itself when the command line asks for it.
    plimsa::Snapshot::runIfRequested(argc, argv);
    std::fputs(plimsa::Snapshot::usage().c_str(), stdout);
    return 0;
}
