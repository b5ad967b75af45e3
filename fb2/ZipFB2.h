#pragma once

#include <memory>
#include <string>

#include "core/Stream.h"
#include "xml/XMLDocument.h"
#include "zip/ZipFile.h"

// Whether a ".zip" archive name may hold a FictionBook book: it ends in "fb2.zip".
bool PassesFB2ZipFilter(const std::u16string& AccessPath);

// Whether an archive entry holds a FictionBook book: its extension (from
// the last '.' not followed by '\' or ':'; '/' does not end it) is ".fb2",
// ASCII case ignored.
bool IsFB2EntryName(const std::u16string& Name);

// The document of the archive's first ".fb2" entry, its text set but not yet
// parsed, or nullptr. EntryStream receives the entry stream, which the caller
// releases together with the archive. The entry's text draws on Budget.
IXMLDocument LoadFB2EntryDocument(TZipFile& Zip, std::unique_ptr<TStream>& EntryStream, TReadBudget& Budget);

// The document of the entry Name, its text (at most Limit bytes, drawn on
// Budget) set but not yet parsed. The entry is inflated straight into the
// document's text, never held besides it.
IXMLDocument LoadFB2Entry(TZipFile& Zip, const std::u16string& Name, uint32_t Limit, TReadBudget& Budget);
