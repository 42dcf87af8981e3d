#include "ExchangeState.h"

ExchangeState &ExchangeState::instance()
{
    static ExchangeState state;
    return state;
}
