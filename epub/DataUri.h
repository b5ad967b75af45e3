#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/Types.h"

// Pictures that a page or SVG document carries in itself, as an RFC 2397
// URI: "data:" [media type] ";base64," base64 text.

// Whether Href is a data: URI (the scheme in any ASCII case).
bool IsDataUri(std::string_view Href);

// How many bytes the URI's base64 text decodes to, counted without decoding
// it; 0 when Href is no base64 data: URI.
size_t DataUriBytes(std::string_view Href);

// The bytes the URI carries; nullopt when it is no base64 data: URI, when
// its text holds anything but the base64 alphabet, blanks and one final
// padding, or when it decodes to more than Limit bytes.
std::optional<TBytes> DecodeDataUri(std::string_view Href, size_t Limit);
