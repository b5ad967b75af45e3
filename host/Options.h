#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct THostOptions {
    int32_t Width = 128;
    int32_t Height = 128;
    std::u16string Plugin;  // empty: the module beside the program
    bool Ansi = false;
    bool Info = false;
    bool Detect = false;
    std::u16string Input;
    std::u16string Output;  // empty: no file written
};

// Parses the arguments after the program name. Returns false with a message
// for a usage error.
bool ParseHostOptions(const std::vector<std::u16string>& Arguments, THostOptions& Options, std::string& Error);

extern const char* const HostUsage;
