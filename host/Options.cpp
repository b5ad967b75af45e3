#include "host/Options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "platform/CodePages.h"

const char* const HostUsage =
    "usage: brisleaf-thumb [-s N | --box WxH] [--plugin PATH] [--ansi] [--info] [--detect] INPUT [OUTPUT]\n"
    "       brisleaf-thumb [-s N | --box WxH] [--plugin PATH] [-j N] -o FOLDER INPUT...\n"
    "  -s N        fit into N x N pixels (default 128); --box takes WIDTHxHEIGHT\n"
    "  OUTPUT      .png (RGB) or .bmp (the bitmap as returned)\n"
    "  -o FOLDER   thumbnail many books (folders are searched for books) into FOLDER/NAME.png\n"
    "  -j N        books thumbnailed at once (default: one per processor)\n"
    "exit status: 0 a thumbnail was made, 1 the book has no cover, 2 usage or I/O error\n";

namespace {

std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool ParseInt32(const std::string& Text, int32_t& Value)
{
    if (Text.empty())
        return false;
    char* End = nullptr;
    errno = 0;
    const long long Parsed = std::strtoll(Text.c_str(), &End, 10);
    if (errno != 0 || *End != '\0' || Parsed < std::numeric_limits<int32_t>::min() ||
        Parsed > std::numeric_limits<int32_t>::max())
        return false;
    Value = static_cast<int32_t>(Parsed);
    return true;
}

}

bool ParseHostOptions(const std::vector<std::u16string>& Arguments, THostOptions& Options, std::string& Error)
{
    std::vector<std::u16string> Positional;
    for (size_t I = 0; I < Arguments.size(); ++I) {
        const std::u16string& Argument = Arguments[I];
        auto NextValue = [&](std::u16string& Value) {
            if (I + 1 >= Arguments.size()) {
                Error = Narrow(Argument) + " needs a value";
                return false;
            }
            Value = Arguments[++I];
            return true;
        };
        std::u16string Value;
        if (Argument == u"-s") {
            int32_t Side;
            if (!NextValue(Value))
                return false;
            if (!ParseInt32(Narrow(Value), Side) || Side < 1) {
                Error = "-s takes a positive number";
                return false;
            }
            Options.Width = Options.Height = Side;
        } else if (Argument == u"--box") {
            if (!NextValue(Value))
                return false;
            const std::string Box = Narrow(Value);
            const size_t Cross = Box.find('x', 1);
            if (Cross == std::string::npos || !ParseInt32(Box.substr(0, Cross), Options.Width) ||
                !ParseInt32(Box.substr(Cross + 1), Options.Height)) {
                Error = "--box takes WIDTHxHEIGHT";
                return false;
            }
        } else if (Argument == u"-o" || Argument == u"--output-dir") {
            if (!NextValue(Options.OutputDir))
                return false;
        } else if (Argument == u"-j" || Argument == u"--jobs") {
            int32_t Jobs;
            if (!NextValue(Value))
                return false;
            if (!ParseInt32(Narrow(Value), Jobs) || Jobs < 1 || Jobs > 256) {
                Error = "-j takes a number from 1 to 256";
                return false;
            }
            Options.Jobs = static_cast<unsigned>(Jobs);
        } else if (Argument == u"--plugin") {
            if (!NextValue(Options.Plugin))
                return false;
        } else if (Argument == u"--ansi") {
            Options.Ansi = true;
        } else if (Argument == u"--info") {
            Options.Info = true;
        } else if (Argument == u"--detect") {
            Options.Detect = true;
        } else if (Argument.size() > 1 && Argument[0] == u'-') {
            Error = "unknown option " + Narrow(Argument);
            return false;
        } else {
            Positional.push_back(Argument);
        }
    }
    if (Options.Detect && Positional.empty())
        return true;
    if (Positional.empty()) {
        Error = "no INPUT given";
        return false;
    }
    if (!Options.OutputDir.empty()) {
        Options.Inputs = Positional;
        return true;
    }
    if (Positional.size() > 2) {
        Error = "too many arguments (use -o FOLDER for many books)";
        return false;
    }
    Options.Inputs = {Positional[0]};
    if (Positional.size() == 2)
        Options.Output = Positional[1];
    return true;
}
