#include "app/Timings.h"

Timings& ProgramTimings() {
    static Timings timings;
    return timings;
}
