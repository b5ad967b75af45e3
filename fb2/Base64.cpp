#include "fb2/Base64.h"

#include <array>
#include <cstdint>
#include <utility>

#include "platform/CodePages.h"

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

// Decodes units as they come, pieces of one text after another.
class TBase64Decoder {
public:
    explicit TBase64Decoder(size_t Units) { FBytes.reserve(Units / 4 * 3); }

    template <typename TUnits>
    void Feed(const TUnits& Units)
    {
        for (const auto Unit : Units) {
            if (FEnded)
                return;
            const uint8_t Symbol = Symbols[static_cast<uint8_t>(Unit & 0xFF)];
            if (Symbol == Skipped)
                continue;
            FGroup[FHeld] = Symbol == Padding ? PaddingValue : Symbol;
            if (++FHeld < 4)
                continue;
            FHeld = 0;
            FBytes.push_back(static_cast<char>((FGroup[0] * 4 | FGroup[1] >> 4) & 0xFF));
            if ((FEnded = FGroup[2] == PaddingValue))
                return;
            FBytes.push_back(static_cast<char>((FGroup[1] * 16 | FGroup[2] >> 2) & 0xFF));
            if ((FEnded = FGroup[3] == PaddingValue))
                return;
            FBytes.push_back(static_cast<char>((FGroup[2] * 64 | FGroup[3]) & 0xFF));
        }
    }

    // The bytes, an unfinished last group dropped.
    std::string Take() { return std::move(FBytes); }

private:
    std::string FBytes;
    uint32_t FGroup[4] = {};
    int FHeld = 0;
    bool FEnded = false;
};

// UTF-8 converted this many bytes at a time, so that the UTF-16 form of a
// whole picture is never held.
constexpr size_t PieceBytes = 64 * 1024;

}

std::string DecodeBase64(const std::u16string& Text)
{
    TBase64Decoder Decoder(Text.size());
    Decoder.Feed(Text);
    return Decoder.Take();
}

std::string DecodeBase64Utf8(std::string_view Text)
{
    TBase64Decoder Decoder(Text.size());
    while (!Text.empty()) {
        // Pieces end before an ASCII byte, where no conversion of malformed
        // sequences can look across.
        size_t End = Text.size();
        if (End > PieceBytes) {
            End = PieceBytes;
            while (End < Text.size() && static_cast<uint8_t>(Text[End]) >= 0x80)
                ++End;
        }
        Decoder.Feed(platform::MultiByteToWide(platform::cpUtf8, Text.data(), End));
        Text.remove_prefix(End);
    }
    return Decoder.Take();
}
