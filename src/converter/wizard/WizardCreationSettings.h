// The creation settings the wizard collects beyond ConversionOptions: the building and house-number
// filters, trimming, the name translation and the imported building data. The run takes them once the
// pipeline reads them; until then they are kept with the run's snapshot so nothing chosen is lost.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/wizard/WizardExtensions.h"

struct WizardCreationSettings {
    uint32_t sizeFilter50 = 40;
    uint32_t sizeFilter100 = 100;
    // Positions in the top level's lists; 255 for none.
    uint8_t secondBackgroundClass = 255;
    uint8_t extraNameClass = 255;
    bool includeLetters = true;
    // 0 "Добавить данные", 1 "Заменить старые данные".
    int addMode = 0;
    bool strictRules = true;
    bool trim = false;
    // 0 by the imported data, 1 by the edges below, 2 by state borders.
    int trimMode = 1;
    int32_t north = 0, south = 0, west = 0, east = 0;
    bool trimByStates = false;
    std::vector<int> selectedAreas;
    uint32_t trimLevel = 3;
    bool addSeas = false;
    bool addAdjacent = false;
    bool wordByWord = false;
    bool excludeFreeways = false;
    uint32_t translationLevel = 3;
    int translationArea = 0;
    bool foldYo = false;
    bool foldUkrainianI = false;
    // 0 ANSI-1251, 1 ISO-8859.
    int isoAnsiIndex = 0;
    int cityAreaIndex = 0;
    WizardBuildingData buildings;
};
