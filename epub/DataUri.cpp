#include "epub/DataUri.h"

#include "core/Strings.h"

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

int Base64Value(char C)
{
    if (C >= 'A' && C <= 'Z')
        return C - 'A';
    if (C >= 'a' && C <= 'z')
        return C - 'a' + 26;
    if (C >= '0' && C <= '9')
        return C - '0' + 52;
    if (C == '+')
        return 62;
    if (C == '/')
        return 63;
    return -1;
}

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
    if (Text.empty() || DataUriBytes(Href) > Limit)
        return std::nullopt;
    TBytes Bytes;
    Bytes.reserve(DataUriBytes(Href));
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
