// What the main window asks of the hex viewer: the viewer window implements it; window tests use a
// placeholder that records the calls.
#pragma once

#include <cstdint>
#include <memory>

#include <QString>

#include "kiwi/io/Stream.h"

class QWidget;

class HexViewApi {
public:
    virtual ~HexViewApi() = default;
    // Shows stream (shared with its owner) at offset.
    virtual void SetStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) = 0;
    // Shows a stream the viewer alone holds from now on (a stream opened for the hex view only).
    virtual void SetOwnedStream(std::shared_ptr<TLN_Stream> stream, int64_t offset) = 0;
    virtual void GotoOffset(int64_t offset) = 0;
    // Forgets the stream.
    virtual void Clear() = 0;
    virtual void SetCodePageName(const QString& name) = 0;
    virtual void SetDisplayCodePage(int codePage) = 0;
    // True while the viewer shows a stream (its docked tab is visible only then).
    virtual bool HasStream() const { return false; }
    // The page the main window docks as its hex tab when it is first shown; null when there is none.
    virtual QWidget* DockPage() { return nullptr; }
};
