#include "core/Timings.h"

Timings& ProgramTimings() {
    static Timings timings;
    return timings;
}
