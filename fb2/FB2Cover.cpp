#include "fb2/FB2Cover.h"

// Placeholder until the FictionBook lookup lands.
std::string ExtractFB2Cover(IXMLDocument) { return std::string(); }
