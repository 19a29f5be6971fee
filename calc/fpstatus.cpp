#include "calc/fpstatus.h"

namespace calc {

const char* FloatingPointError::what() const noexcept { return "floating-point error"; }

void CheckFaults(const FpStatus& status, int check) {
    if (status.Any(FpFaultFlags))
        throw FloatingPointError(status.Flags() & FpFaultFlags, check);
}

} // namespace calc
