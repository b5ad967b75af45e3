#include "fb2/Base64.h"

#include <cstdint>

namespace {

constexpr uint32_t NotInAlphabet = 0xFFFFFFFF;
// A '=' standing first or second in a group counts as this value.
constexpr uint32_t PaddingValue = 65535;

uint32_t SymbolValue(uint8_t Byte)
{
    if (Byte >= 'A' && Byte <= 'Z')
        return Byte - 'A';
    if (Byte >= 'a' && Byte <= 'z')
        return Byte - 'a' + 26;
    if (Byte >= '0' && Byte <= '9')
        return Byte - '0' + 52;
    if (Byte == '+')
        return 62;
    if (Byte == '/')
        return 63;
    if (Byte == '=')
        return PaddingValue;
    return NotInAlphabet;
}

}

std::string DecodeBase64(const std::u16string& Text)
{
    std::string Bytes;
    Bytes.reserve(Text.size() / 4 * 3);
    uint32_t Group[4];
    bool Padding[4];
    int Held = 0;
    for (const char16_t Unit : Text) {
        const uint32_t Value = SymbolValue(static_cast<uint8_t>(Unit & 0xFF));
        if (Value == NotInAlphabet)
            continue;
        Group[Held] = Value;
        Padding[Held] = Value == PaddingValue;
        if (++Held < 4)
            continue;
        Held = 0;
        Bytes.push_back(static_cast<char>((Group[0] * 4 | Group[1] >> 4) & 0xFF));
        if (Padding[2])
            break;
        Bytes.push_back(static_cast<char>((Group[1] * 16 | Group[2] >> 2) & 0xFF));
        if (Padding[3])
            break;
        Bytes.push_back(static_cast<char>((Group[2] * 64 | Group[3]) & 0xFF));
    }
    return Bytes;
}
