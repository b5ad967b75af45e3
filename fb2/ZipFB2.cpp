#include "fb2/ZipFB2.h"

// Placeholder until ZIP-packed FictionBook lands.
bool PassesFB2ZipFilter(const std::u16string&) { return false; }
IXMLDocument LoadFB2EntryDocument(TZipFile&, std::unique_ptr<TStream>&) { return nullptr; }
