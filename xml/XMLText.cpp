#include "xml/XMLText.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "platform/CodePages.h"

namespace {

enum TTextEncoding { teAnsi, teUtf8, teUtf16LE, teUtf16BE };

// Text is converted piece by piece so that it is never held as UTF-16 whole.
constexpr size_t PieceSize = 64 * 1024;

// Bytes below 0x40 are neither lead nor trail bytes in any ANSI code page
// (double-byte trail bytes start at 0x40), nor in UTF-8: a piece of 8-bit text
// may end after one without splitting a character.
constexpr unsigned char FirstSplittingByte = 0x40;

struct TSource {
    const unsigned char* Data;
    size_t Length;
    TTextEncoding Encoding;
};

bool HasUtf16Mark(const unsigned char* Data, size_t Length)
{
    return Length >= 2 && ((Data[0] == 0xFF && Data[1] == 0xFE) || (Data[0] == 0xFE && Data[1] == 0xFF));
}

TSource DetectEncoding(const TXMLBuffer& Bytes)
{
    const auto* Data = reinterpret_cast<const unsigned char*>(Bytes.Data());
    const size_t Length = Bytes.Size();
    if (Length >= 3 && Data[0] == 0xEF && Data[1] == 0xBB && Data[2] == 0xBF)
        return {Data + 3, Length - 3, teUtf8};
    if (HasUtf16Mark(Data, Length))
        return {Data + 2, Length - 2, Data[0] == 0xFF ? teUtf16LE : teUtf16BE};
    return {Data, Length, teAnsi};
}

char16_t UnitAt(const TSource& Source, size_t Index)
{
    const unsigned char First = Source.Data[2 * Index], Second = Source.Data[2 * Index + 1];
    return Source.Encoding == teUtf16LE ? static_cast<char16_t>(First | Second << 8)
                                        : static_cast<char16_t>(First << 8 | Second);
}

// Cuts the text at its first NUL character.
void CutAtNul(TSource& Source)
{
    if (Source.Encoding == teUtf16LE || Source.Encoding == teUtf16BE) {
        const size_t Units = Source.Length / 2;
        size_t Index = 0;
        while (Index < Units && UnitAt(Source, Index) != 0)
            ++Index;
        Source.Length = Index * 2;
        return;
    }
    if (const void* Nul = std::memchr(Source.Data, 0, Source.Length))
        Source.Length = static_cast<size_t>(static_cast<const unsigned char*>(Nul) - Source.Data);
}

// A NUL ends any text without a UTF-16 mark: what follows it is not read.
bool TextEnded(const char* Data, size_t Size, size_t From)
{
    return !HasUtf16Mark(reinterpret_cast<const unsigned char*>(Data), Size) &&
           std::memchr(Data + From, 0, Size - From) != nullptr;
}

bool IsAscii(const unsigned char* Data, size_t Length)
{
    for (size_t I = 0; I < Length; ++I)
        if (Data[I] >= 0x80)
            return false;
    return true;
}

// ASCII in any 8-bit code page, and well-formed UTF-8 read as UTF-8, convert
// to the same bytes.
bool IsUtf8Already(const TSource& Source)
{
    if (Source.Encoding == teUtf16LE || Source.Encoding == teUtf16BE)
        return false;
    const auto* Text = reinterpret_cast<const char*>(Source.Data);
    const bool ReadAsUtf8 = Source.Encoding == teUtf8 || platform::AnsiCodePage() == platform::cpUtf8;
    return ReadAsUtf8 ? platform::IsWellFormedUtf8(Text, Source.Length) : IsAscii(Source.Data, Source.Length);
}

// Calls Emit with the UTF-8 form of each piece of the text, in order.
template <typename TEmit>
void ConvertPieces(const TSource& Source, TEmit&& Emit)
{
    if (Source.Encoding == teUtf16LE || Source.Encoding == teUtf16BE) {
        const size_t Units = Source.Length / 2;
        std::u16string Piece;
        size_t Index = 0;
        while (Index < Units) {
            size_t End = Units - Index < PieceSize ? Units : Index + PieceSize;
            // Keep a surrogate pair together.
            const char16_t Last = UnitAt(Source, End - 1);
            if (End < Units && Last >= 0xD800 && Last <= 0xDBFF)
                ++End;
            Piece.clear();
            for (size_t I = Index; I < End; ++I)
                Piece.push_back(UnitAt(Source, I));
            const std::string Utf8 = platform::WideToMultiByte(platform::cpUtf8, Piece);
            Emit(Utf8.data(), Utf8.size());
            Index = End;
        }
        return;
    }
    const platform::TCodePage CodePage = Source.Encoding == teUtf8 ? platform::cpUtf8 : platform::cpAnsi;
    size_t Start = 0;
    while (Start < Source.Length) {
        size_t End = Source.Length - Start < PieceSize ? Source.Length : Start + PieceSize;
        while (End < Source.Length && Source.Data[End - 1] >= FirstSplittingByte)
            ++End;
        const auto* Piece = Source.Data + Start;
        const size_t Length = End - Start;
        // Every ANSI code page and UTF-8 leave ASCII as it is.
        if (IsAscii(Piece, Length)) {
            Emit(reinterpret_cast<const char*>(Piece), Length);
        } else {
            const std::u16string Wide =
                platform::MultiByteToWide(CodePage, reinterpret_cast<const char*>(Piece), Length);
            const std::string Utf8 = platform::WideToMultiByte(platform::cpUtf8, Wide);
            Emit(Utf8.data(), Utf8.size());
        }
        Start = End;
    }
}

}

TXMLBuffer DecodeXMLText(TXMLBuffer Bytes)
{
    TSource Source = DetectEncoding(Bytes);
    CutAtNul(Source);
    if (IsUtf8Already(Source)) {
        // The text stays where it is, without its mark.
        const auto Mark = static_cast<size_t>(reinterpret_cast<const char*>(Source.Data) - Bytes.Data());
        std::memmove(Bytes.Data(), Bytes.Data() + Mark, Source.Length);
        Bytes.SetSize(Source.Length);
        return Bytes;
    }
    // Two passes: the first measures, so the result is allocated once and
    // exactly, the second fills it.
    size_t Total = 0;
    ConvertPieces(Source, [&Total](const char*, size_t Length) {
        if (Length > SIZE_MAX - Total)
            throw std::bad_alloc();
        Total += Length;
    });
    TXMLBuffer Text(Total);
    ConvertPieces(Source, [&Text](const char* Data, size_t Length) {
        if (Length == 0)
            return;
        if (Text.Capacity() - Text.Size() < Length)
            throw std::bad_alloc();
        std::memcpy(Text.Data() + Text.Size(), Data, Length);
        Text.SetSize(Text.Size() + Length);
    });
    return Text;
}

TXMLBuffer ReadXMLText(TStream& Stream)
{
    return DecodeXMLText(ReadStreamToEnd(Stream, TextEnded));
}
