// What the Map tab shows of the map view's state: its answers to the view's events fill the seven status
// panels, the level table, the division picture, the explore button's state and the viewport framed on
// the world overview. Headless: the widgets only copy what it holds when it says something changed.
#pragma once

#include <array>
#include <memory>
#include <optional>

#include <QImage>
#include <QObject>
#include <QString>

#include "mapview/core/MapViewApi.h"

class TLN_KiwiMap;

class MapTabPresenter : public QObject, public MapViewEvents {
    Q_OBJECT
public:
    static constexpr int kPanels = 7;
    static constexpr int kRows = 14;
    static constexpr int kColumns = 4;
    // The status panels: level, scale, latitude, longitude, parcel kind, code page name, display scales.
    enum Panel {
        kLevelPanel,
        kScalePanel,
        kLatitudePanel,
        kLongitudePanel,
        kKindPanel,
        kCodePagePanel,
        kFlagsPanel
    };

    // view: the map view whose state the events report (it outlives the presenter).
    explicit MapTabPresenter(const MapViewApi& view, QObject* parent = nullptr);
    ~MapTabPresenter() override;

    // The map the view shows, whose level records the level table reads (null for none).
    void SetMap(std::shared_ptr<TLN_KiwiMap> map);
    // A map is loaded: the tab shows it and the views of names follow the code page and language choices.
    bool HasMap() const { return map_ != nullptr; }
    // Back to no map: every panel but the code page's empty, the table's header only, no picture, the
    // explore button off and no frame.
    void Clear();
    void SetCodePageName(const QString& name);

    void LevelChanged() override;
    void PosChanged(TLN_PID position) override;
    void ScaleChanged() override;
    void SelectionChanged(bool selected, const TLN_ParcelNumber& parcel) override;
    void ViewPortChanged() override;

    const QString& PanelText(int panel) const;
    const QString& Cell(int row, int column) const;
    const QImage& DivisionImage() const { return division_; }
    bool ExploreEnabled() const { return exploreEnabled_; }
    // The viewport to frame on the world overview; none while the view shows no map.
    const std::optional<MapViewPort>& Frame() const { return frame_; }

    // "Display Scale Flag " and the digits b = 1..5 whose bit 5 - b is set, rising.
    static QString DisplayScaleFlagText(uint8_t flags);

signals:
    void PanelsChanged();
    void TableChanged();
    void DivisionChanged();
    void ExploreChanged(bool enabled);
    void FrameChanged();

private:
    void setPanel(int panel, const QString& text);
    void setRow(int row, const QString& name, const QString& longitude = {}, const QString& latitude = {},
                const QString& number = {});
    void showLevel();
    void setDivision(const QImage& image);
    void setExplore(bool enabled);

    const MapViewApi& view_;
    std::shared_ptr<TLN_KiwiMap> map_;
    std::array<QString, kPanels> panels_;
    std::array<std::array<QString, kColumns>, kRows> cells_;
    QImage division_;
    bool exploreEnabled_ = false;
    std::optional<MapViewPort> frame_;
};
