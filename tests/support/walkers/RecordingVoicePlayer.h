// A voice player that plays nothing and keeps every image handed to it, for tests.
#pragma once

#include <mutex>
#include <vector>

#include "platform/VoicePlayer.h"

class RecordingVoicePlayer : public VoicePlayer {
public:
    void play(std::vector<uint8_t> waveImage) override;
    void stop() override;

    std::vector<std::vector<uint8_t>> Played() const;
    int StopCount() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::vector<uint8_t>> played_;
    int stops_ = 0;
};
