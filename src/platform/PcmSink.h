// Where a threaded voice player sends its frames: the seam between playback and the sound device.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Where a threaded player sends its frames; used by one playback thread at a time.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    // Opens the output for interleaved signed 16-bit samples; false when no device takes them.
    virtual bool open(unsigned channels, unsigned sampleRate) = 0;
    // Writes whole frames; false on an error the sink could not recover from.
    virtual bool write(const int16_t* samples, size_t frames) = 0;
    // Waits until the written frames have been played, or until stopping becomes true.
    virtual void finish(const std::atomic<bool>& stopping) = 0;
    // Drops what is still queued and closes the output.
    virtual void close() = 0;
};
