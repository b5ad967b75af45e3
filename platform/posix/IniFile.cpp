#include "platform/IniFile.h"

#include <vector>

#include "platform/CodePages.h"
#include "platform/Files.h"

namespace platform {

namespace {

constexpr size_t BufferUnits = 2048;

bool IsBlank(char16_t C) { return C == u' ' || C == u'\t' || C == u'\r'; }

std::u16string Trim(const std::u16string& Text)
{
    size_t Begin = 0, End = Text.size();
    while (Begin < End && IsBlank(Text[Begin]))
        ++Begin;
    while (End > Begin && IsBlank(Text[End - 1]))
        --End;
    return Text.substr(Begin, End - Begin);
}

bool EqualIgnoringCase(std::u16string A, std::u16string B)
{
    LowerCase(A);
    LowerCase(B);
    return A == B;
}

// INI text as the profile functions read it: UTF-16LE with its byte-order
// mark, else UTF-8 (an optional UTF-8 mark dropped).
std::u16string DecodeIniText(const std::vector<uint8_t>& Bytes)
{
    if (Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] == 0xFE) {
        std::u16string Text;
        for (size_t I = 2; I + 1 < Bytes.size(); I += 2)
            Text.push_back(static_cast<char16_t>(Bytes[I] | (Bytes[I + 1] << 8)));
        return Text;
    }
    size_t Start = 0;
    if (Bytes.size() >= 3 && Bytes[0] == 0xEF && Bytes[1] == 0xBB && Bytes[2] == 0xBF)
        Start = 3;
    return MultiByteToWide(cpUtf8, reinterpret_cast<const char*>(Bytes.data()) + Start, Bytes.size() - Start);
}

// A value quoted with the same quote at both ends loses the quotes.
std::u16string Unquote(const std::u16string& Value)
{
    if (Value.size() >= 2 && (Value.front() == u'"' || Value.front() == u'\'') && Value.back() == Value.front())
        return Value.substr(1, Value.size() - 2);
    return Value;
}

std::u16string Cut(std::u16string Value)
{
    if (Value.size() > BufferUnits - 1)
        Value.resize(BufferUnits - 1);
    return Value;
}

}

std::u16string ReadIniString(const std::u16string& FileName, const std::u16string& Section,
                             const std::u16string& Key, const std::u16string& Default)
{
    std::vector<uint8_t> Bytes;
    std::string ErrorText;
    if (!ReadWholeFile(FileName, Bytes, ErrorText))
        return Cut(Default);
    const std::u16string Text = DecodeIniText(Bytes);

    bool InSection = false;
    size_t LineStart = 0;
    while (LineStart <= Text.size()) {
        size_t LineEnd = Text.find(u'\n', LineStart);
        if (LineEnd == std::u16string::npos)
            LineEnd = Text.size();
        const std::u16string Line = Trim(Text.substr(LineStart, LineEnd - LineStart));
        LineStart = LineEnd + 1;
        if (Line.empty() || Line[0] == u';')
            continue;
        if (Line[0] == u'[') {
            const size_t Close = Line.find(u']');
            const std::u16string Name = Trim(Line.substr(1, Close == std::u16string::npos ? std::u16string::npos : Close - 1));
            InSection = EqualIgnoringCase(Name, Section);
            continue;
        }
        if (!InSection)
            continue;
        const size_t Equals = Line.find(u'=');
        if (Equals == std::u16string::npos)
            continue;
        if (EqualIgnoringCase(Trim(Line.substr(0, Equals)), Key))
            return Cut(Unquote(Trim(Line.substr(Equals + 1))));
    }
    return Cut(Default);
}

}
