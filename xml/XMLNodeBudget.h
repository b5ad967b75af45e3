#pragma once

#include <cstddef>

// Upper bounds, read from the markup characters alone, on what the parser
// builds from a text: a node for the document, for each '<' not followed by
// '/' (elements, comments, processing instructions, CDATA, the document
// type), and for each text run that starts after a '>' (or at the start) and
// holds more than blanks; an attribute for each '='. Text in UTF-16 or UTF-32
// counts high, never low.
struct TNodeCount {
    size_t Nodes = 0;
    size_t Attributes = 0;
};
TNodeCount CountNodesAtMost(const char* Text, size_t Size);

// Whether a text of TextBytes with that many nodes is parsed: the text and
// the tree together within Limits::XMLParseBytes. More ends the document with
// a parse error before anything is built, however small the file that
// inflated into it.
bool WithinNodeBudget(const TNodeCount& Count, size_t TextBytes);
