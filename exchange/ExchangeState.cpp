#include "exchange/ExchangeState.h"

#include "core/RunState.h"

ExchangeState &ExchangeState::instance()
{
    static ExchangeState state;
    // A new data folder starts from nothing.
    [[maybe_unused]] static const bool registered = (RunState::addReset([] { state = ExchangeState(); }), true);
    return state;
}
