#include "fb2/Base64.h"

#include <array>
#include <cstdint>

namespace {

// The value of each byte in the alphabet; '=' and bytes outside it marked.
constexpr uint8_t Skipped = 0xFF;
constexpr uint8_t Padding = 0x40;
constexpr std::array<uint8_t, 256> Symbols = [] {
    std::array<uint8_t, 256> Table{};
    Table.fill(Skipped);
    const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (uint8_t Value = 0; Value < 64; ++Value)
        Table[static_cast<uint8_t>(Alphabet[Value])] = Value;
    Table['='] = Padding;
    return Table;
}();

// A '=' standing first or second in a group counts as this value.
constexpr uint32_t PaddingValue = 65535;

}

std::string DecodeBase64(const std::u16string& Text)
{
    std::string Bytes(Text.size() / 4 * 3, '\0');
    char* Out = Bytes.data();
    uint32_t Group[4];
    int Held = 0;
    for (const char16_t Unit : Text) {
        const uint8_t Symbol = Symbols[Unit & 0xFF];
        if (Symbol == Skipped)
            continue;
        Group[Held] = Symbol == Padding ? PaddingValue : Symbol;
        if (++Held < 4)
            continue;
        Held = 0;
        *Out++ = static_cast<char>((Group[0] * 4 | Group[1] >> 4) & 0xFF);
        if (Group[2] == PaddingValue)
            break;
        *Out++ = static_cast<char>((Group[1] * 16 | Group[2] >> 2) & 0xFF);
        if (Group[3] == PaddingValue)
            break;
        *Out++ = static_cast<char>((Group[2] * 64 | Group[3]) & 0xFF);
    }
    Bytes.resize(static_cast<size_t>(Out - Bytes.data()));
    return Bytes;
}
