// The readers the main window holds for the opened source (as opposed to those a tree node creates): the
// CMP list, the map and the sub-managers found through it. Builders and views reach them through this.
#pragma once

#include <memory>
#include <string>

class TLN_CompressionManager;
class TLN_KiwiMap;
class TLN_VoiceManager;
class TLN_VoiceMe1Manager;
class TLN_IndexManager;
class TLN_LocalManager;
class TLN_RegionManager;

struct OpenData {
    std::shared_ptr<TLN_CompressionManager> compression;
    std::shared_ptr<TLN_KiwiMap> map;
    // The route planning reader found for the map (the map view draws with it).
    std::shared_ptr<TLN_RegionManager> routePlanning;
    std::shared_ptr<TLN_VoiceManager> voice;
    std::shared_ptr<TLN_VoiceMe1Manager> voice001;
    std::shared_ptr<TLN_IndexManager> index;
    std::shared_ptr<TLN_LocalManager> localisation;
    // The folder (or, with an image mounted, the image's folder) the source was opened from.
    std::string folder;
    // True while an ISO image is mounted for the source.
    bool imageMounted = false;

    void Clear() { *this = OpenData(); }
};
