#pragma once

#include <cstdint>

// Where the cover lookups read record 0 of a Mobipocket book: "MOBI" at 16,
// the first image index at 108, the EXTH block searched for from 112 within
// the first MiB. EXTH block head: "EXTH", block length, record count; each
// record: type, declared length (these 8 bytes included), data.
constexpr int64_t IdentifierField = 16;
constexpr int64_t FirstImageField = 108;
constexpr int64_t EXTHSearchStart = 112;
constexpr int32_t EXTHSearchLimitMiB = 1;

constexpr int64_t EXTHHeadSize = 12;
constexpr int32_t EXTHRecordHeadSize = 8;
// Record numbers relative to the first image index; -1 names none.
constexpr int32_t CoverOffsetType = 201;
constexpr int32_t ThumbnailOffsetType = 202;
constexpr int32_t NoCover = -1;
