// The families of node kinds, each registering its rows of the node kind table from its own file.
#pragma once

class NodeKinds;

// Every kind of the node kind table with the name of its view; the families attach views and builders.
void RegisterKindNames(NodeKinds& table);

// LOADING.KWI, CMP lists, COVERAGE.BIN and the fallback views (invalid data, not implemented, missing file).
void RegisterHeaderKinds(NodeKinds& table);
// ALLDATA.KWI: the data volume and its management headers (AddAllDataNodes).
void RegisterAllDataKinds(NodeKinds& table);
// The main map: levels, block sets, blocks, parcels and their data frames.
void RegisterMainMapKinds(NodeKinds& table);
// REGION.KWI route planning data.
void RegisterRegionKinds(NodeKinds& table);
// Parameter data.
void RegisterParameterKinds(NodeKinds& table);
// Picture data: PCT2MNG.KWI, graphic and extended picture files.
void RegisterPictureKinds(NodeKinds& table);
// Voice data, VOICE001.ME and the voice command dictionary.
void RegisterVoiceKinds(NodeKinds& table);
// INDEXDAT.KWI index data.
void RegisterIndexKinds(NodeKinds& table);
// RDS-TMC, localisation and management 32.
void RegisterTmcAndLocalKinds(NodeKinds& table);
