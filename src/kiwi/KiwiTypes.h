// Everything of the byte-level model in one include: big-endian I/O, unit conversions, formatters,
// primitive records, parcel numbers, the map text code pages and map text decoding.
#pragma once

#include "kiwi/BigEndianIO.h"
#include "kiwi/KiwiConversions.h"
#include "kiwi/KiwiFormat.h"
#include "kiwi/KiwiPrimitives.h"
#include "kiwi/KiwiText.h"
#include "kiwi/MapCodePage.h"
#include "kiwi/ParcelNumber.h"
