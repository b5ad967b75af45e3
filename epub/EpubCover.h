#pragma once

#include <string>

#include "core/Types.h"
#include "zip/ZipFile.h"

// The cover picture's bytes of an open EPUB archive: META-INF/container.xml
// names the package document, whose last <meta name="cover"> gives the id of
// the manifest item whose href is the picture. Empty when the book names no
// cover this way; a missing, damaged or too large entry raises. Every read
// draws on Budget.
TBytes ExtractEpubCover(TZipFile& Zip, TReadBudget& Budget);
// The entry that lookup names, unread; empty when it names none.
std::u16string EpubCoverEntryName(TZipFile& Zip, TReadBudget& Budget);

// An entry name up to and including its last '/'; empty without one.
std::u16string ExtractZipDir(const std::u16string& Name);

// The archive entry a cover reference names, relative to the package's folder.
std::u16string ResolveCoverEntryName(const std::u16string& BaseDirectory, const std::u16string& Reference);
