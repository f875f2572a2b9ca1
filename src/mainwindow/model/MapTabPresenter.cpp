// The Map tab's answers to the map view's events: status panel texts, the level table's rows, the division
// picture of a selected parcel and the viewport to frame on the world overview.
#include "mainwindow/model/MapTabPresenter.h"

#include "kiwi/display/GridBitmaps.h"
#include "kiwi/display/KiwiFormat.h"
#include "kiwi/map/KiwiMap.h"

namespace {
// Rows of the level table that a level change empties (the selected parcel's rows).
constexpr int kSelectionRows[] = {4, 7, 10, 12, 13};
// A division or integration of more cells than this per side gets no picture: the grid picture has 32
// pixels per cell, and a hostile level could ask for one of 255 × 255 cells (a quarter of a gigabyte).
constexpr int kPictureCellLimit = 64;

QString number(int64_t value) {
    return QString::number(value);
}
} // namespace

MapTabPresenter::MapTabPresenter(const MapViewApi& view, QObject* parent) : QObject(parent), view_(view) {
    Clear();
}

MapTabPresenter::~MapTabPresenter() = default;

void MapTabPresenter::SetMap(std::shared_ptr<TLN_KiwiMap> map) {
    map_ = std::move(map);
}

void MapTabPresenter::Clear() {
    for (int panel = 0; panel < kPanels; ++panel)
        if (panel != kCodePagePanel) panels_[size_t(panel)].clear();
    for (auto& row : cells_)
        row.fill(QString());
    cells_[0] = {QStringLiteral("Item name"), QStringLiteral("Longitude"), QStringLiteral("Latitude"),
                 QStringLiteral("Number")};
    division_ = QImage();
    exploreEnabled_ = false;
    frame_.reset();
    emit PanelsChanged();
    emit TableChanged();
    emit DivisionChanged();
    emit ExploreChanged(false);
    emit FrameChanged();
}

void MapTabPresenter::SetCodePageName(const QString& name) {
    setPanel(kCodePagePanel, name);
    emit PanelsChanged();
}

const QString& MapTabPresenter::PanelText(int panel) const {
    static const QString none;
    return panel >= 0 && panel < kPanels ? panels_[size_t(panel)] : none;
}

const QString& MapTabPresenter::Cell(int row, int column) const {
    static const QString none;
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns) return none;
    return cells_[size_t(row)][size_t(column)];
}

QString MapTabPresenter::DisplayScaleFlagText(uint8_t flags) {
    QString text = QStringLiteral("Display Scale Flag ");
    for (int b = 1; b <= 5; ++b)
        if (flags & (1u << (5 - b))) text += QString::number(b);
    return text;
}

void MapTabPresenter::setPanel(int panel, const QString& text) {
    panels_[size_t(panel)] = text;
}

void MapTabPresenter::setRow(int row, const QString& name, const QString& longitude, const QString& latitude,
                             const QString& number) {
    cells_[size_t(row)] = {name, longitude, latitude, number};
}

void MapTabPresenter::setDivision(const QImage& image) {
    division_ = image;
    emit DivisionChanged();
}

void MapTabPresenter::setExplore(bool enabled) {
    exploreEnabled_ = enabled;
    emit ExploreChanged(enabled);
}

void MapTabPresenter::showLevel() {
    const int level = view_.Level();
    setPanel(kLevelPanel, QStringLiteral("Уровень ") + number(level));
    setPanel(kKindPanel, QString());
    setPanel(kFlagsPanel, QString());
    const TLN_Level_Management_Record* record =
        map_ && level >= 0 && level <= 255 ? map_->Level(uint8_t(level)) : nullptr;
    auto counts = [&](int row, const char* name, const TLN_Division& division) {
        if (record)
            setRow(row, QString::fromLatin1(name), number(division.X), number(division.Y));
        else
            setRow(row, QString::fromLatin1(name));
    };
    setRow(1, QStringLiteral("Level"), {}, {}, number(level));
    counts(3, "BlockSets", record ? record->BlockSets : TLN_Division{});
    counts(6, "Blocks in Bl.Set", record ? record->Blocks : TLN_Division{});
    counts(9, "Parcels in Block", record ? record->Parcels : TLN_Division{});
    for (int row : kSelectionRows)
        cells_[size_t(row)].fill(QString());
    emit PanelsChanged();
    emit TableChanged();
}

void MapTabPresenter::LevelChanged() {
    showLevel();
}

void MapTabPresenter::PosChanged(TLN_PID position) {
    setPanel(kLatitudePanel, QString::fromStdString(FormatLatitude(position.Y)));
    setPanel(kLongitudePanel, QString::fromStdString(FormatLongitude(position.X)));
    emit PanelsChanged();
}

void MapTabPresenter::ScaleChanged() {
    setPanel(kScalePanel, QStringLiteral("Масштаб ") + view_.ScaleLabel());
    setPanel(kFlagsPanel, DisplayScaleFlagText(view_.DisplayScaleFlag()));
    emit PanelsChanged();
    setDivision(QImage());
}

void MapTabPresenter::SelectionChanged(bool selected, const TLN_ParcelNumber& parcel) {
    setExplore(selected);
    if (!selected) {
        showLevel();
        return;
    }
    const TLN_Level_Management_Record* record = map_ ? map_->Level(parcel.Level) : nullptr;
    // Numbers count row by row: the second index times the level's count across plus the first index.
    auto unit = [&](int row, const char* name, uint8_t x, uint8_t y, uint16_t across) {
        setRow(row, QString::fromLatin1(name), number(x), number(y),
               record ? number(int64_t(y) * across + x) : QString());
    };
    unit(4, "Block Set", parcel.BlockSetX, parcel.BlockSetY, record ? record->BlockSets.X : 0);
    unit(7, "Block", parcel.BlockX, parcel.BlockY, record ? record->Blocks.X : 0);
    unit(10, "Parcel", parcel.ParcelX, parcel.ParcelY, record ? record->Parcels.X : 0);
    const bool pictured = parcel.CountX <= kPictureCellLimit && parcel.CountY <= kPictureCellLimit;
    switch (parcel.Kind) {
    case 1:
        setRow(12, QStringLiteral("Division Type"), number(parcel.CountX), number(parcel.CountY));
        setRow(13, QStringLiteral("Parcel Position"), number(parcel.SubX), number(parcel.SubY),
               number(int64_t(parcel.SubY) * parcel.CountX + parcel.SubX));
        setPanel(kKindPanel, QStringLiteral("Divided Parcel"));
        setDivision(pictured ? MakeGridBitmap(parcel.CountX, parcel.CountY, parcel.SubX, parcel.SubY)
                             : QImage());
        break;
    case 2:
        setRow(12, QStringLiteral("Integration"), number(parcel.CountX), number(parcel.CountY));
        setRow(13, QStringLiteral("Parcel Position"), number(parcel.SubX), number(parcel.SubY));
        setPanel(kKindPanel, QStringLiteral("Integrated Parcel"));
        setDivision(pictured ? MakeFilledGridBitmap(parcel.CountX, parcel.CountY, parcel.SubX, parcel.SubY)
                             : QImage());
        break;
    default:
        // A regular parcel's number says kind 0: every kind that is neither divided nor integrated is
        // regular, so nothing of the previous parcel stays.
        cells_[12].fill(QString());
        cells_[13].fill(QString());
        setPanel(kKindPanel, QStringLiteral("Regular Parcel"));
        setDivision(QImage());
        break;
    }
    emit PanelsChanged();
    emit TableChanged();
}

void MapTabPresenter::ViewPortChanged() {
    if (view_.Active())
        frame_ = view_.ViewPort();
    else
        frame_.reset();
    emit FrameChanged();
}
