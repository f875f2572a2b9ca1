// The parcel writer used when names are re-encoded or translated: every main map data frame is rebuilt
// with its new name texts (and its name references moved with the records), every route guidance data
// frame keeps its size with its character strings overwritten in their fields. Parcels the options leave
// alone, and maps whose frames use wide entries (system number 8 and above), are copied byte for byte.
#pragma once

#include <functional>
#include <string>

#include "converter/levels/ParcelWriter.h"
#include "converter/names/NameTextPolicy.h"
#include "kiwi/map/KiwiMap.h"

class NameParcelWriter : public ParcelWriter {
public:
    using LogLine = std::function<void(const std::string&)>;

    // map: the source (level records, system number); log receives WARNING lines.
    NameParcelWriter(TLN_KiwiMap& map, NameTextPolicy policy, LogLine log);

    void BeginLevel(uint8_t level) override;
    uint32_t WriteMainFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;
    uint32_t WriteGuidanceFrame(const SourceFrame& frame, TLN_Stream& out, int64_t at) override;

    // Name records rewritten so far, and parcels copied unchanged for lack of room or readable names.
    int RewrittenNames() const { return rewritten_; }
    int Warnings() const { return warnings_; }

private:
    // Overwrites the character strings of a route guidance frame in place; a frame whose header is not
    // the two-reference layout, or that lies outside the dictionary's area under translation alone,
    // stays as it is.
    void rewriteGuidanceStrings(std::vector<uint8_t>& bytes, int64_t position);
    bool wide() const;

    TLN_KiwiMap& map_;
    NameTextPolicy policy_;
    LogLine log_;
    CopyParcelWriter copy_;
    uint8_t level_ = 0;
    bool wideLogged_ = false;
    bool multiItemLogged_ = false;
    int rewritten_ = 0;
    int warnings_ = 0;
};
