// A PCM sink on ALSA's "default" playback device (S16_LE, interleaved).
#pragma once

#include "platform/PcmSink.h"

typedef struct _snd_pcm snd_pcm_t;

class AlsaPcmSink : public PcmSink {
public:
    ~AlsaPcmSink() override;
    bool open(unsigned channels, unsigned sampleRate) override;
    bool write(const int16_t* samples, size_t frames) override;
    void finish(const std::atomic<bool>& stopping) override;
    void close() override;

private:
    snd_pcm_t* pcm_ = nullptr;
    unsigned channels_ = 0;
};
