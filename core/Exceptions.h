#pragma once

#include <stdexcept>
#include <string>

// Every error of a request is one of these. The message is UTF-8 and is the
// fixed text of the error class; nothing in the product ever shows it.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& Message) : std::runtime_error(Message) {}
    std::string Message() const { return what(); }
};

#define BRISLEAF_EXCEPTION(Name, Base)                                      \
    class Name : public Base {                                              \
    public:                                                                 \
        explicit Name(const std::string& Message) : Base(Message) {}        \
    }

BRISLEAF_EXCEPTION(EStreamError, Exception);
BRISLEAF_EXCEPTION(EReadError, EStreamError);
BRISLEAF_EXCEPTION(EFOpenError, EStreamError);
BRISLEAF_EXCEPTION(ERangeError, Exception);
BRISLEAF_EXCEPTION(EListError, Exception);
BRISLEAF_EXCEPTION(EAbstractError, Exception);

inline const char* const SReadError = "Stream read error";
inline const char* const SRangeError = "Range check error";
inline const char* const SAbstractError = "Abstract Error";
