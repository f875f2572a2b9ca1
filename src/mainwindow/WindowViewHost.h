// What a record view's side effects do in the main window: the hex viewer placed on the record's bytes
// (its tab shown), the picture panel, the play button, sound, children added to a node, the beep.
#pragma once

#include <functional>

#include "mainwindow/model/RecordNode.h"
#include "mainwindow/model/ViewHost.h"

class DataPage;
class HexViewApi;
class RecordTreeModel;
class VoicePlayer;
struct Services;

class WindowViewHost : public ViewHost {
public:
    WindowViewHost(DataPage& page, const Services& services);
    ~WindowViewHost() override;

    // The hex viewer (null until one is docked) and what shows or hides its tab.
    void SetHexViewer(HexViewApi* hex, std::function<void(bool shown)> showHexTab);
    // The model that attaches children views add to their nodes.
    void SetTreeModel(RecordTreeModel* model) { model_ = model; }
    // Hides the picture and the play button and closes the index tables (the field grid was cleared).
    void Reset();
    // Whether the hex viewer shows, from this host, a stream of the file with that name (no folder).
    bool ShowsFile(const std::string& name) const;
    // The hex viewer was given a stream past this host (or cleared): it shows none of the host's.
    void ForgetShownStream() { shown_.reset(); }

    void ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) override;
    void ShowOwnedStreamInHexViewer(std::shared_ptr<TLN_Stream> stream, int64_t offset) override;
    void ShowPicture(const QImage& image) override;
    void ShowPlayButton(std::function<void()> play) override;
    void PlaySound(std::vector<uint8_t> waveImage) override;
    void AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) override;
    void Beep() override;
    void ShowIndexTable(IndexGrid grid, std::shared_ptr<IndexTable> table) override;
    void Progress(int value, int max) override;

    // Runs the play button's function (the button's click).
    void Play();
    // Stops sound output.
    void Stop();

private:
    DataPage& page_;
    const Services& services_;
    HexViewApi* hex_ = nullptr;
    std::function<void(bool)> showHexTab_;
    // The stream this host last gave the hex viewer.
    std::weak_ptr<TLN_Stream> shown_;
    RecordTreeModel* model_ = nullptr;
    std::function<void()> play_;
    std::unique_ptr<VoicePlayer> player_;
};
