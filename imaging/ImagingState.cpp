#include "imaging/ImagingState.h"

#include "core/RunState.h"

ImagingState &ImagingState::instance()
{
    static ImagingState s;
    // A new data folder starts from nothing: no scan, no viewer.
    [[maybe_unused]] static const bool registered = (RunState::addReset([] { s = ImagingState(); }), true);
    return s;
}
