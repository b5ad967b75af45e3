#include "epub/DataUri.h"

#include <cstdint>

#include "core/Strings.h"

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

// The value of each byte as a base64 digit, -1 for the rest: a picture's
// text is megabytes, looked at twice.
struct TBase64Values {
    int8_t Of[256];
    constexpr TBase64Values() : Of()
    {
        for (int Byte = 0; Byte < 256; ++Byte)
            Of[Byte] = -1;
        for (int Digit = 0; Digit < 26; ++Digit) {
            Of['A' + Digit] = static_cast<int8_t>(Digit);
            Of['a' + Digit] = static_cast<int8_t>(26 + Digit);
        }
        for (int Digit = 0; Digit < 10; ++Digit)
            Of['0' + Digit] = static_cast<int8_t>(52 + Digit);
        Of['+'] = 62;
        Of['/'] = 63;
    }
};
constexpr TBase64Values Base64Values;

int Base64Value(char C) { return Base64Values.Of[static_cast<unsigned char>(C)]; }

// The base64 text after the comma; empty when the URI does not say base64
// (a percent-encoded picture is no picture an SVG frame holds).
std::string_view Base64Text(std::string_view Href)
{
    if (!IsDataUri(Href))
        return {};
    const size_t Comma = Href.find(',');
    if (Comma == std::string_view::npos)
        return {};
    const std::string_view Head = Href.substr(0, Comma);
    const size_t Semicolon = Head.rfind(';');
    if (Semicolon == std::string_view::npos || !SameTextAscii(Head.substr(Semicolon + 1), "base64"))
        return {};
    return Href.substr(Comma + 1);
}

}

bool IsDataUri(std::string_view Href)
{
    while (!Href.empty() && IsBlank(Href.front()))
        Href.remove_prefix(1);
    return Href.size() >= 5 && SameTextAscii(Href.substr(0, 5), "data:");
}

size_t DataUriBytes(std::string_view Href)
{
    size_t Digits = 0;
    for (const char C : Base64Text(Href))
        Digits += Base64Value(C) >= 0;
    return Digits / 4 * 3 + (Digits % 4 == 0 ? 0 : Digits % 4 - 1);
}

std::optional<TBytes> DecodeDataUri(std::string_view Href, size_t Limit)
{
    const std::string_view Text = Base64Text(Href);
    const size_t Size = DataUriBytes(Href);
    if (Text.empty() || Size > Limit)
        return std::nullopt;
    TBytes Bytes;
    Bytes.reserve(Size);
    uint32_t Group = 0;
    size_t Digits = 0, Padding = 0;
    for (const char C : Text) {
        if (IsBlank(C))
            continue;
        if (C == '=' && ++Padding <= 2)
            continue;
        const int Value = Base64Value(C);
        // Nothing may follow the padding.
        if (Value < 0 || Padding > 0)
            return std::nullopt;
        Group = Group << 6 | static_cast<uint32_t>(Value);
        if (++Digits % 4 == 0) {
            Bytes.push_back(static_cast<uint8_t>(Group >> 16));
            Bytes.push_back(static_cast<uint8_t>(Group >> 8));
            Bytes.push_back(static_cast<uint8_t>(Group));
            Group = 0;
        }
    }
    // A last group of one digit holds no byte; padding must fill its group.
    const size_t Left = Digits % 4;
    if (Left == 1 || (Padding > 0 && Left + Padding != 4))
        return std::nullopt;
    if (Left == 2)
        Bytes.push_back(static_cast<uint8_t>(Group >> 4));
    if (Left == 3) {
        Bytes.push_back(static_cast<uint8_t>(Group >> 10));
        Bytes.push_back(static_cast<uint8_t>(Group >> 2));
    }
    if (Bytes.empty())
        return std::nullopt;
    return Bytes;
}
