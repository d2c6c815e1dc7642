// kvr2840e-sim: the unit simulator's entry.
#include <cstdio>
#include <string>

#include "sim/sim_options.h"
#include "sim/simulator.h"

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!ParseSimOptions(argc, argv, options, error)) {
        fprintf(stderr, "kvr2840e-sim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        fputs(SimHelpText(), stdout);
        return 0;
    }
    if (options.version) {
        fputs(SimVersionText(), stdout);
        return 0;
    }
    return RunSimulator(options);
}
