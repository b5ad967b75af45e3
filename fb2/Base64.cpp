#include "fb2/Base64.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstddef>
#include <utility>

#include "core/Limits.h"
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

// Decodes units as they come, pieces of one text after another. Bytes are
// gathered in a small block on the stack and appended a block at a time.
class TBase64Decoder {
public:
    // More than MaxBytes decoded ends the decoding with nothing.
    TBase64Decoder(size_t Units, size_t MaxBytes) : FMaxBytes(MaxBytes)
    {
        FBytes.reserve(std::min(Units / 4 * 3, MaxBytes));
    }

    template <typename TUnits>
    void Feed(const TUnits& Units)
    {
        if (FEnded)
            return;
        char Block[3 * 1024];
        size_t Made = 0;
        uint32_t Group[4] = {FGroup[0], FGroup[1], FGroup[2], FGroup[3]};
        int Held = FHeld;
        const size_t Count = Units.size();
        for (size_t At = 0; At < Count;) {
            if (Made > sizeof Block - 3) {
                if (!Keep(Block, Made))
                    return;
                Made = 0;
            }
            // Four symbols of the alphabet in a row, the common case, make
            // three bytes; anything else goes unit by unit.
            if (Held == 0 && Count - At >= 4) {
                const uint32_t A = Symbols[static_cast<uint8_t>(Units[At] & 0xFF)],
                               B = Symbols[static_cast<uint8_t>(Units[At + 1] & 0xFF)],
                               C = Symbols[static_cast<uint8_t>(Units[At + 2] & 0xFF)],
                               D = Symbols[static_cast<uint8_t>(Units[At + 3] & 0xFF)];
                if ((A | B | C | D) < 64) {
                    Block[Made++] = static_cast<char>((A << 2 | B >> 4) & 0xFF);
                    Block[Made++] = static_cast<char>((B << 4 | C >> 2) & 0xFF);
                    Block[Made++] = static_cast<char>((C << 6 | D) & 0xFF);
                    At += 4;
                    continue;
                }
            }
            const uint8_t Symbol = Symbols[static_cast<uint8_t>(Units[At++] & 0xFF)];
            if (Symbol == Skipped)
                continue;
            Group[Held] = Symbol == Padding ? PaddingValue : Symbol;
            if (++Held < 4)
                continue;
            Held = 0;
            Block[Made++] = static_cast<char>((Group[0] * 4 | Group[1] >> 4) & 0xFF);
            if ((FEnded = Group[2] == PaddingValue))
                break;
            Block[Made++] = static_cast<char>((Group[1] * 16 | Group[2] >> 2) & 0xFF);
            if ((FEnded = Group[3] == PaddingValue))
                break;
            Block[Made++] = static_cast<char>((Group[2] * 64 | Group[3]) & 0xFF);
        }
        if (!Keep(Block, Made))
            return;
        for (int I = 0; I < 4; ++I)
            FGroup[I] = Group[I];
        FHeld = Held;
    }

    bool Ended() const { return FEnded; }

    // The bytes, an unfinished last group dropped.
    std::string Take() { return std::move(FBytes); }

private:
    // Appends what a block made; past the bound, ends with nothing, before
    // the bytes could outgrow the room reserved for them.
    bool Keep(const char* Block, size_t Made)
    {
        if (Made > FMaxBytes - FBytes.size()) {
            FBytes = std::string();
            FEnded = true;
            return false;
        }
        FBytes.append(Block, Made);
        return true;
    }

    std::string FBytes;
    size_t FMaxBytes;
    uint32_t FGroup[4] = {};
    int FHeld = 0;
    bool FEnded = false;
};

bool IsAscii(std::string_view Text)
{
    unsigned char Any = 0;
    for (const char C : Text)
        Any |= static_cast<unsigned char>(C);
    return Any < 0x80;
}

// UTF-8 converted this many bytes at a time, so that the UTF-16 form of a
// whole picture is never held.
constexpr size_t PieceBytes = 64 * 1024;

}

std::string DecodeBase64(const std::u16string& Text)
{
    TBase64Decoder Decoder(Text.size(), SIZE_MAX);
    Decoder.Feed(Text);
    return Decoder.Take();
}

std::string DecodeBase64Utf8(std::string_view Text, size_t MaxBytes)
{
    TBase64Decoder Decoder(Text.size(), MaxBytes);
    while (!Text.empty() && !Decoder.Ended()) {
        // Pieces end before an ASCII byte, where no conversion of malformed
        // sequences can look across.
        size_t End = Text.size();
        if (End > PieceBytes) {
            End = PieceBytes;
            while (End < Text.size() && static_cast<uint8_t>(Text[End]) >= 0x80)
                ++End;
        }
        // ASCII converts to the same values, unit for byte.
        const std::string_view Piece = Text.substr(0, End);
        if (IsAscii(Piece))
            Decoder.Feed(Piece);
        else
            Decoder.Feed(platform::MultiByteToWide(platform::cpUtf8, Piece.data(), Piece.size()));
        Text.remove_prefix(End);
    }
    return Decoder.Take();
}

std::string DecodeFB2Picture(std::string_view Text) { return DecodeBase64Utf8(Text, Limits::CoverPictureBytes); }
