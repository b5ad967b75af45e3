#pragma once

#include <functional>
#include <vector>

#include "core/Types.h"

// Inputs built to be expensive, each at most 100 MB: named
// <what>.<extension>, the extension choosing the route.
struct THostileInput {
    const char* Name;
    std::function<TBytes()> Make;
};

const std::vector<THostileInput>& HostileInputs();
