#include "platform/CodePages.h"

#include <bit>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace platform {

namespace {

constexpr char16_t Replacement = 0xFFFD;

// Code page 437, bytes 0x80 to 0xFF; the lower half is ASCII.
constexpr char16_t Cp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Writes Code as one unit or a surrogate pair; returns the end.
char16_t* PutCodePoint(char16_t* Out, char32_t Code)
{
    if (Code < 0x10000) {
        *Out++ = static_cast<char16_t>(Code);
    } else {
        Code -= 0x10000;
        *Out++ = static_cast<char16_t>(0xD800 + (Code >> 10));
        *Out++ = static_cast<char16_t>(0xDC00 + (Code & 0x3FF));
    }
    return Out;
}

// Reads the multi-byte character at Data[Index] of strict UTF-8 (no
// overlongs, no surrogates, nothing above U+10FFFF). False for a maximal
// invalid subsequence, which Windows replaces by one U+FFFD. Either way Index
// moves past what was read.
bool ReadMultiByte(const unsigned char* Data, size_t Length, size_t& Index, char32_t& Code)
{
    const unsigned char Lead = Data[Index++];
    int Trail;
    unsigned char Min = 0x80, Max = 0xBF;
    if (Lead >= 0xC2 && Lead <= 0xDF) {
        Trail = 1;
        Code = Lead & 0x1F;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
        Trail = 2;
        Code = Lead & 0x0F;
        if (Lead == 0xE0)
            Min = 0xA0;
        if (Lead == 0xED)
            Max = 0x9F;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
        Trail = 3;
        Code = Lead & 0x07;
        if (Lead == 0xF0)
            Min = 0x90;
        if (Lead == 0xF4)
            Max = 0x8F;
    } else {
        return false;
    }
    for (int Taken = 0; Taken < Trail; ++Taken, ++Index) {
        if (Index == Length || Data[Index] < Min || Data[Index] > Max)
            return false;
        Min = 0x80;
        Max = 0xBF;
        Code = (Code << 6) | (Data[Index] & 0x3F);
    }
    return true;
}

// No character takes fewer bytes than UTF-16 units, and an invalid
// subsequence of one or more bytes becomes one unit: the text never grows.
std::u16string DecodeUtf8(const unsigned char* Data, size_t Length)
{
    std::u16string Text(Length, u'\0');
    char16_t* Out = Text.data();
    size_t Index = 0;
    while (Index < Length) {
        char32_t Code;
        if (Data[Index] < 0x80)
            *Out++ = Data[Index++];
        else if (ReadMultiByte(Data, Length, Index, Code))
            Out = PutCodePoint(Out, Code);
        else
            *Out++ = Replacement;
    }
    Text.resize(static_cast<size_t>(Out - Text.data()));
    return Text;
}

std::string EncodeUtf8(const std::u16string& Text)
{
    std::string Out;
    Out.reserve(Text.size());
    for (size_t I = 0; I < Text.size(); ++I) {
        char32_t Code = Text[I];
        if (Code >= 0xD800 && Code <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 &&
            Text[I + 1] <= 0xDFFF) {
            Code = 0x10000 + ((Code - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
            ++I;
        } else if (Code >= 0xD800 && Code <= 0xDFFF) {
            Code = Replacement;
        }
        if (Code < 0x80) {
            Out.push_back(static_cast<char>(Code));
        } else if (Code < 0x800) {
            Out.push_back(static_cast<char>(0xC0 | (Code >> 6)));
            Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
        } else if (Code < 0x10000) {
            Out.push_back(static_cast<char>(0xE0 | (Code >> 12)));
            Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
        } else {
            Out.push_back(static_cast<char>(0xF0 | (Code >> 18)));
            Out.push_back(static_cast<char>(0x80 | ((Code >> 12) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | ((Code >> 6) & 0x3F)));
            Out.push_back(static_cast<char>(0x80 | (Code & 0x3F)));
        }
    }
    return Out;
}

// The Unicode character classes, whatever locale the host runs in; freed
// when the module is unloaded.
class TUnicodeLocale {
public:
    TUnicodeLocale() : FLocale(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))) {}
    ~TUnicodeLocale()
    {
        if (FLocale != static_cast<locale_t>(0))
            freelocale(FLocale);
    }
    TUnicodeLocale(const TUnicodeLocale&) = delete;
    TUnicodeLocale& operator=(const TUnicodeLocale&) = delete;
    locale_t Get() const { return FLocale; }

private:
    locale_t FLocale;
};

locale_t UnicodeLocale()
{
    static const TUnicodeLocale Locale;
    return Locale.Get();
}

}

std::u16string MultiByteToWide(TCodePage CodePage, const char* Data, size_t Length)
{
    const auto* Bytes = reinterpret_cast<const unsigned char*>(Data);
    if (CodePage == cpOem437) {
        std::u16string Out;
        Out.reserve(Length);
        for (size_t I = 0; I < Length; ++I)
            Out.push_back(Bytes[I] < 0x80 ? Bytes[I] : Cp437High[Bytes[I] - 0x80]);
        return Out;
    }
    return DecodeUtf8(Bytes, Length);
}

std::string WideToMultiByte(TCodePage CodePage, const std::u16string& Text)
{
    if (CodePage == cpOem437) {
        std::string Out;
        for (char16_t C : Text) {
            char Byte = '?';
            if (C < 0x80) {
                Byte = static_cast<char>(C);
            } else {
                for (int I = 0; I < 128; ++I)
                    if (Cp437High[I] == C)
                        Byte = static_cast<char>(0x80 + I);
            }
            Out.push_back(Byte);
        }
        return Out;
    }
    return EncodeUtf8(Text);
}

TCodePage AnsiCodePage() { return cpUtf8; }

namespace {

// Eight bytes as one number, the first in the lowest byte, whatever the
// machine's byte order.
uint64_t LoadLittleEndian64(const unsigned char* At)
{
    uint64_t Word;
    std::memcpy(&Word, At, sizeof Word);
    if constexpr (std::endian::native == std::endian::big)
        Word = __builtin_bswap64(Word);
    return Word;
}

// Skips from Index, a character's first byte, words of eight bytes that hold
// only ASCII and two-byte characters (C2..DF, then 80..BF): the Latin, Greek
// and Cyrillic scripts, most of any text. Returns the first byte of the
// first character it did not check, which the caller reads.
//
// Per byte, bit 7 marks any non-ASCII byte, bit 6 a lead among those, bit 5
// a lead of more than two bytes. A word is well formed when every trail byte
// follows a lead, which is the lead mask moved up one byte (with the last
// lead of the word before carried in), and no lead is C0 or C1 (bits 1-4
// clear).
size_t SkipTwoByteWords(const unsigned char* Bytes, size_t Index, size_t Length)
{
    constexpr uint64_t High = 0x8080808080808080u, Low7 = 0x7F7F7F7F7F7F7F7Fu, Bits1To4 = 0x1E1E1E1E1E1E1E1Eu;
    uint64_t CarriedLead = 0;
    for (; Length - Index >= 8; Index += 8) {
        const uint64_t Word = LoadLittleEndian64(Bytes + Index);
        const uint64_t NonAscii = Word & High;
        if ((NonAscii | CarriedLead) == 0)
            continue;
        const uint64_t Bit6 = (Word << 1) & High, Bit5 = (Word << 2) & High;
        const uint64_t Lead = NonAscii & Bit6, Trail = NonAscii & ~Bit6;
        const uint64_t Overlong = Lead & ~(((Word & Bits1To4) + Low7) & High);
        if ((Lead & Bit5) != 0 || Overlong != 0 || Trail != ((Lead << 8) | CarriedLead))
            break;
        CarriedLead = (Lead >> 56) & 0x80;
    }
    // A lead carried out of the last word skipped is read with its trail.
    return CarriedLead ? Index - 1 : Index;
}

}

bool IsWellFormedUtf8(const char* Data, size_t Length)
{
    const auto* Bytes = reinterpret_cast<const unsigned char*>(Data);
    size_t Index = 0;
    while (Index < Length) {
        Index = SkipTwoByteWords(Bytes, Index, Length);
        if (Index == Length)
            break;
        if (Bytes[Index] < 0x80) {
            ++Index;
            continue;
        }
        char32_t Code;
        if (!ReadMultiByte(Bytes, Length, Index, Code))
            return false;
    }
    return true;
}

void LowerCase(std::u16string& Text)
{
    const locale_t Locale = UnicodeLocale();
    for (char16_t& C : Text) {
        if (C >= 0xD800 && C <= 0xDFFF)
            continue;
        if (Locale != static_cast<locale_t>(0))
            C = static_cast<char16_t>(towlower_l(static_cast<wint_t>(C), Locale));
        else if (C >= u'A' && C <= u'Z')
            C = static_cast<char16_t>(C + 32);
    }
}

}
