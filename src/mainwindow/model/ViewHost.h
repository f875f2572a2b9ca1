// What a record view may do beyond writing rows: the side effects the main window carries out and tests
// record. Views never touch widgets, images on screen or sound devices themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "kiwi/io/Stream.h"

class IndexTable;
struct RecordNode;

// The two data grids of the "Выборка данных" tab: category tables and matching tables.
enum class IndexGrid { Category, Matching };

class ViewHost {
public:
    virtual ~ViewHost() = default;
    // Places the hex viewer on stream at offset (the stream stays shared with its owner); a null stream
    // clears the hex viewer.
    virtual void ShowInHexViewer(const std::shared_ptr<TLN_Stream>& stream, int64_t offset) = 0;
    // Places the hex viewer on a stream opened for it alone (a decompressing stream of a node's file): the
    // viewer owns it from now on and frees it when it is given another. A host that does not tell the two
    // apart shows it as any other stream.
    virtual void ShowOwnedStreamInHexViewer(std::shared_ptr<TLN_Stream> stream, int64_t offset) {
        ShowInHexViewer(stream, offset);
    }
    // Shows a picture over the field grid below its rows; a null image hides it.
    virtual void ShowPicture(const QImage& image) = 0;
    // Shows the play button calling play when pressed; an empty function hides it.
    virtual void ShowPlayButton(std::function<void()> play) = 0;
    // Plays a WAVE image now.
    virtual void PlaySound(std::vector<uint8_t> waveImage) = 0;
    // Adds children to a node from a view (index data views add their items when shown).
    virtual void AddChildren(RecordNode& node, std::vector<std::unique_ptr<RecordNode>> children) = 0;
    virtual void Beep() = 0;
    // Shows an index table in one of the two data grids; a null table closes that grid. A host without
    // the grids shows nothing.
    virtual void ShowIndexTable(IndexGrid grid, std::shared_ptr<IndexTable> table) {
        (void)grid;
        (void)table;
    }
    // Progress of a long view; max 0 ends it.
    virtual void Progress(int value, int max) = 0;
};
