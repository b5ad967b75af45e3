#pragma once

#include <string>
#include <vector>

#include "core/Types.h"

// FictionBook documents for tests, written in a line or two per case.

struct TFb2Binary {
    std::string Id;
    std::string Data;  // raw bytes, written as base64
    std::string ContentType = "image/jpeg";
};

struct TFb2Book {
    // Written before the root; empty for none.
    std::string Declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    std::string Title = "Book";  // UTF-8 unless the caller encodes the whole text
    // The l:href values of the images in title-info/coverpage; none: no coverpage.
    std::vector<std::string> Covers;
    // The same for src-title-info; none: no src-title-info.
    std::vector<std::string> SourceCovers;
    std::string Body = "<section><p>Text.</p></section>";
    std::vector<TFb2Binary> Binaries;
};

// The document's text, in UTF-8 (as far as Title is).
std::string BuildFb2(const TFb2Book& Book);
// A book with one cover "cover.jpg" holding Picture.
std::string BuildFb2WithCover(const std::string& Picture);

// Base64 in lines of LineLength characters (0: one line).
std::string EncodeBase64(const std::string& Bytes, size_t LineLength = 76);

// Text re-encoded: UTF-16 with a byte-order mark, or windows-1251 (Cyrillic,
// ASCII and nothing else).
std::string Utf16WithBom(const std::string& Utf8, bool BigEndian);
std::string Utf8ToCp1251(const std::string& Utf8);

inline TBytes AsBytes(const std::string& Text) { return TBytes(Text.begin(), Text.end()); }
inline std::string AsText(const TBytes& Bytes) { return std::string(Bytes.begin(), Bytes.end()); }
