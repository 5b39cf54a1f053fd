#pragma once
// What every reader check returns, and the pieces the checks share. A check runs one reader on
// one input and looks for faults beyond crashes: results that break the reader's promises
// (sizes that disagree, indices out of range, NaN where a unit vector belongs, an output
// changed by a failed read). The fuzz targets abort on a fault so libFuzzer keeps the input;
// the regression tests run the same checks on the inputs kept in tests/data/fuzz-regressions.

#include "Engine/Core/Vector.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace TessFuzz
{

struct SCheckResult
{
    // The reader accepted the input (returned a mesh, an image, a document).
    bool accepted = false;
    // Empty, or what went wrong.
    std::string fault;
};

inline SCheckResult Accepted()
{
    return {true, {}};
}

inline SCheckResult Rejected()
{
    return {false, {}};
}

inline SCheckResult Fault(std::string what)
{
    return {false, std::move(what)};
}

// A normal must be a direction or nothing: unit length, or exactly zero where none exists.
inline bool IsUnitOrZero(const Tess::Vector3& v)
{
    if (v == Tess::Vector3())
        return true;
    const float length = v.Length();
    return std::isfinite(length) && std::fabs(length - 1.0f) <= 1e-3f;
}

// Called by the fuzz targets: a fault ends the run as a crash, with the reason on stderr.
inline void AbortOnFault(const SCheckResult& result)
{
    if (result.fault.empty())
        return;
    std::fprintf(stderr, "reader fault: %s\n", result.fault.c_str());
    std::abort();
}

} // namespace TessFuzz
