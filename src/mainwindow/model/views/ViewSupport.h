// What every record view shares: the help documents of the KIWI standard's chapters and the bounds-checked
// lookup of enumerated remarks.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include <QString>

// The chapters of the KIWI standard a view's help link can open.
enum class HelpDocument {
    Loading,             // LOADING.KWI: loading frame, system, module
    DataVolume,          // data volume, management header record
    MainMapManagement,   // main map data management, level, block set, block, parcel management
    MainMapDistribution, // main map distribution header of a parcel
    RoadData,            // road data frame, multilink, link/node connection
    BackgroundData,      // background data frame, background type unit, minimum graphics
    NameData,            // name data frame, name management, name record
    RouteGuidance,       // route guidance distribution header
    GuidanceData,        // guidance data frame, character string data frame
    TowardName,          // toward name data record
    DirectionIndicator,  // direction indicator data record
    RoadStructure,       // road structure data record
    PictureData,         // palette set, colour table, image data record
    RegionData,          // region data
    Parameters,          // parameters, landmark data
    ImageManagement,     // image management distribution header
    VoiceData,           // voice data
    IndexData,           // index data
};

struct HelpDocumentEntry {
    HelpDocument document;
    std::string_view path;
};

// One row per document, in the order of the enumeration (a test checks the order).
inline constexpr std::array<HelpDocumentEntry, 18> kHelpDocuments{{
    {HelpDocument::Loading, "format_english/pdf/3000122e.pdf"},
    {HelpDocument::DataVolume, "format_english/pdf/0500122e.pdf"},
    {HelpDocument::MainMapManagement, "format_english/pdf/0600122e.pdf"},
    {HelpDocument::MainMapDistribution, "format_english/pdf/0701122e.pdf"},
    {HelpDocument::RoadData, "format_english/pdf/0702122e.pdf"},
    {HelpDocument::BackgroundData, "format_english/pdf/0703122e.pdf"},
    {HelpDocument::NameData, "format_english/pdf/0704122e.pdf"},
    {HelpDocument::RouteGuidance, "format_english/pdf/0801122e.pdf"},
    {HelpDocument::GuidanceData, "format_english/pdf/08040101122e.pdf"},
    {HelpDocument::TowardName, "format_english/pdf/08040104122e.pdf"},
    {HelpDocument::DirectionIndicator, "format_english/pdf/08040106122e.pdf"},
    {HelpDocument::RoadStructure, "format_english/pdf/08040107122e.pdf"},
    {HelpDocument::PictureData, "format_english/pdf/0807122e.pdf"},
    {HelpDocument::RegionData, "format_english/pdf/0900122e.pdf"},
    {HelpDocument::Parameters, "format_english/pdf/1200122e.pdf"},
    {HelpDocument::ImageManagement, "format_english/pdf/3300122e.pdf"},
    {HelpDocument::VoiceData, "format_english/pdf/3400122e.pdf"},
    {HelpDocument::IndexData, "format_english/pdf/11A201122e.pdf"},
}};

// The document path of a chapter ("format_english/pdf/3000122e.pdf").
QString helpDocumentPath(HelpDocument document);

// The text of value in an enumerated list; a value outside the list gives fallback (the list's own
// "other" text where it has one, else empty), never a read past the list.
QString enumText(std::span<const std::string_view> texts, int64_t value, std::string_view fallback = {});
