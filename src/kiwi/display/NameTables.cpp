// The fixed name tables of the KIWI codes and their bounds-checked lookups.
#include "kiwi/display/NameTables.h"

namespace {
constexpr std::string_view reserved = kReservedName;

constexpr std::array<int, 32> descendingKinds() {
    std::array<int, 32> order{};
    for (int i = 0; i < 32; ++i)
        order[static_cast<std::size_t>(i)] = 31 - i;
    return order;
}
} // namespace

const std::array<std::string_view, 16> RoadClassNames = {
    reserved,
    reserved,
    reserved,
    "Freeway class road (1)",
    "Freeway class road (2)",
    "Highway class road (A2)",
    "Throughway class road (A3)",
    "Local road class road (A4)",
    "Residential road class road (A5)",
    reserved,
    reserved,
    "Private road",
    "Walkway",
    "Non-navigable road",
    "Under-construction/Planning",
    "Ferry Route/Car Train",
};

const std::array<std::string_view, 32> BackgroundKindNames = {
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    "Road polygon (non-toll road)",
    "Road polygon (toll road)",
    "Symbol",
    "Polygon with or without a city map",
    "Data for address calculation",
    "Route",
    "Building (with additional information)",
    "Building (with no additional information)",
    "Road structure (such as pedestrian overpass)",
    "One-way traffic restriction",
    "Facilities field",
    "Other railroad",
    "General railroad",
    "Main railroad",
    "Site field",
    "Administrative field",
    "Contour line",
    "Linear water system",
    "Island",
    "Surface water system",
    "Green Land",
};

const std::array<std::string_view, 16> NameKindNames = {
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    reserved,
    "Main road facility name",
    "Other character symbol",
    "Natural land spot name",
    "Address level 7",
    "Address level 6",
    "Address level 5",
    "Address level 4",
    "Address level 3",
    "Address level 2",
    "Address level 1",
};

const std::array<std::string_view, 8> StringDisplayKindNames = {
    reserved,
    "Barycentric string",
    "Point-indicating string",
    "Linear-placed string Type A",
    "Linear-placed string Type B",
    "Linear-placed string Type C",
    "Symbol + String",
    "(Undefined)",
};

const std::array<std::string_view, 4> ElementShapeNames = {"Points", "Lines", "Areas", "RESERVED"};

const std::array<std::string_view, 16> RoadTypeNames = {
    "Freeway 1",
    "Freeway 2",
    "Highway",
    "Throughway",
    "Local road",
    "Frontage road",
    "Very low speed road",
    "Private road",
    "Walkway",
    "Non-navigable road",
    "Ferry route",
    "Car Train",
    "Public vehicle only road",
    "Carpool lane",
    "RESERVED",
    "RESERVED",
};

const std::array<std::string_view, 4> LandmarkPatternKindNames = {
    "Monochrome bitmap pattern",
    "Color bitmap pattern",
    "TRUE type pattern",
    "",
};

const std::array<std::string_view, 7> ManagementDataKindNames = {
    "Map", "Region", "Index", "Parameters", "Infrastructure", "Graphic", "Voice",
};

const std::array<int, 32> BackgroundKindOrder = descendingKinds();

std::string_view RoadClassName(int64_t code) {
    return NameOf(RoadClassNames, code, kReservedName);
}
std::string_view BackgroundKindName(int64_t code) {
    return NameOf(BackgroundKindNames, code, kReservedName);
}
std::string_view NameKindName(int64_t code) {
    return NameOf(NameKindNames, code, kReservedName);
}
std::string_view StringDisplayKindName(int64_t code) {
    return NameOf(StringDisplayKindNames, code, kReservedName);
}
std::string_view ElementShapeName(int64_t code) {
    return NameOf(ElementShapeNames, code, "");
}
std::string_view RoadTypeName(int64_t code) {
    return NameOf(RoadTypeNames, code, "");
}
std::string_view LandmarkPatternKindName(int64_t code) {
    return NameOf(LandmarkPatternKindNames, code, "");
}
std::string_view ManagementDataKindName(int64_t code) {
    return NameOf(ManagementDataKindNames, code, "");
}
