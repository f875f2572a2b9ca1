// TKiwiMapViewer: the map view widget of the Map tab. It shows one level of the main map, pans by dragging
// with the left button, zooms with the wheel (changing level past a level's range), selects a parcel by a
// click and reports position, level, scale, selection and viewport changes to its event receiver. Whole
// pictures are drawn on a render thread while the last finished picture stays on screen; a pan scrolls
// the picture it has and draws only the uncovered strips.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <vector>

#include "mapview/core/MapRenderThread.h"
#include "mapview/core/MapRenderer.h"
#include "mapview/core/MapViewApi.h"
#include "mapview/core/MapViewState.h"

class TKiwiMapViewer : public QWidget, public MapViewApi {
    Q_OBJECT
public:
    explicit TKiwiMapViewer(QWidget* parent = nullptr);
    ~TKiwiMapViewer() override;

    // MapViewApi.
    QWidget* Widget() override { return this; }
    void SetEvents(MapViewEvents* events) override { events_ = events; }
    void SetMap(std::shared_ptr<TLN_KiwiMap> map) override;
    void SetRegionManager(std::shared_ptr<TLN_RegionManager> regions) override;
    bool Active() const override { return state_.Active(); }
    std::array<uint32_t, 16> RoadColors() const override { return state_.Colors(); }
    void SetRoadColors(const std::array<uint32_t, 16>& colours) override;
    void SetRoadColor(int displayClass, uint32_t colour) override;
    bool DrawGrid() const override { return state_.DrawGrid(); }
    void SetDrawGrid(bool on) override;
    int ScaleDensity() const override { return state_.Scale(); }
    void SetScaleDensity(int scale) override;
    bool UseDisplayScale() const override { return state_.UseDisplayScale(); }
    void SetUseDisplayScale(bool on) override;
    int Layers() const override { return state_.Layers(); }
    void SetLayers(int mask, bool repaint) override;
    void ZoomIn() override;
    void ZoomOut() override;
    int Level() const override { return state_.Level(); }
    int Zoom() const override { return state_.Zoom(); }
    QString ScaleLabel() const override { return state_.ScaleLabel(); }
    uint8_t DisplayScaleFlag() const override { return state_.DisplayScaleFlag(); }
    bool SelectionShown() const override { return state_.SelectionShown(); }
    TLN_ParcelNumber SelectedParcel() const override { return state_.SelectedParcel(); }
    void ClickAt(QPoint client) override;
    MapViewPort ViewPort() const override { return state_.ViewPort(); }
    std::optional<QString> HintTextAt(QPoint client) const override { return state_.HintTextAt(client); }
    void NamesChanged() override;

    // Beyond the interface: the icons of names of string type 6 by image list index (none by default),
    // the state for tests and tools, and a way to wait for the picture under way.
    void SetNameIcons(std::vector<QImage> icons);
    const MapViewState& State() const { return state_; }
    // Zooms to z about a client point (the wheel's and the zoom buttons' operation).
    void ZoomAt(QPoint client, int z);
    // Moves the picture by (-dx, -dy) pixels, as a drag by that much does.
    void PanBy(int dx, int dy);
    // Waits for the render thread and takes its picture; true when the picture on screen is current.
    bool FinishRendering();
    // The picture the widget shows now (its last finished render), and how many whole renders it asked for.
    const QImage& Picture() const { return frame_.image; }
    int RenderRequests() const { return renderRequests_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private slots:
    void takeRender();

private:
    void fire(const MapViewEventList& fired);
    // Stops and forgets every picture, drawn or under way.
    void dropRenders();
    // The view as it should be drawn now.
    MapRenderView currentView() const;
    // Repaint after a change of what the picture shows.
    void changed();
    // Asks the render thread for the current view unless it was asked already.
    void requestRender();
    void paintPreview(QPainter& painter, const MapRenderView& view);
    int pixelRatio() const;

    MapViewState state_;
    MapRenderer renderer_;
    std::unique_ptr<MapRenderThread> thread_;
    MapViewEvents* events_ = nullptr;
    uint64_t generation_ = 0;
    uint64_t revision_ = 0;
    std::shared_ptr<const std::vector<QImage>> icons_;

    // The last finished picture and the view it shows.
    MapPicture frame_;
    bool frameValid_ = false;
    // The view last asked of the render thread.
    MapRenderView requested_;
    bool requestedValid_ = false;
    int renderRequests_ = 0;

    bool pressed_ = false;
    bool dragging_ = false;
    QPoint press_;
    int wheelDelta_ = 0;
};
