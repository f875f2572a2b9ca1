// The Map tab's world overview (MapImage): the world picture with the map view's current viewport framed on
// it. The frame is painted over the picture at every paint, so it always shows the viewport given last and
// never leaves an old frame behind.
#pragma once

#include <optional>

#include <QImage>
#include <QWidget>

#include "mapview/core/MapViewApi.h"

class WorldOverviewImage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 130;

    explicit WorldOverviewImage(QWidget* parent = nullptr);

    // The viewport to frame; none removes the frame.
    void SetViewPort(const std::optional<MapViewPort>& port);
    const std::optional<MapViewPort>& ViewPort() const { return port_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage picture_;
    std::optional<MapViewPort> port_;
};
