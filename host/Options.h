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
    std::vector<std::u16string> Inputs;
    std::u16string Output;     // one input: the file written, empty for none
    std::u16string OutputDir;  // many inputs: the folder that receives the PNGs
    unsigned Jobs = 0;         // 0: one per processor
};

// Parses the arguments after the program name. Returns false with a message
// for a usage error.
bool ParseHostOptions(const std::vector<std::u16string>& Arguments, THostOptions& Options, std::string& Error);

extern const char* const HostUsage;
