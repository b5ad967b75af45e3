#pragma once

#include <optional>
#include <string>

// Hrefs of an EPUB package or page, as UTF-8 text, resolved into archive
// entry names (UTF-8 too).

// Href resolved against Folder (an entry name's folder: empty or ending in
// '/'): the fragment is cut, %XX escapes are decoded to bytes, "." segments
// are dropped and ".." segments remove the segment before them (never
// climbing above the archive's root); a leading '/' starts at the root.
// nullopt for what names no entry of the archive: an empty href, one with a
// URL scheme or a network path ("//host"), or one naming a folder.
std::optional<std::string> ResolveEpubHref(const std::string& Folder, const std::string& Href);

// %XX escapes (either case of hex digits) turned into their bytes; a '%' not
// followed by two hex digits stays as it is.
std::string PercentDecode(const std::string& Text);

// The folder of an entry name: up to and including its last '/', or empty.
std::string EntryFolder(const std::string& Name);
