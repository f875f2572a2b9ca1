#include "support/walkers/RecordingVoicePlayer.h"

void RecordingVoicePlayer::play(std::vector<uint8_t> waveImage) {
    std::lock_guard lock(mutex_);
    played_.push_back(std::move(waveImage));
}

void RecordingVoicePlayer::stop() {
    std::lock_guard lock(mutex_);
    ++stops_;
}

std::vector<std::vector<uint8_t>> RecordingVoicePlayer::Played() const {
    std::lock_guard lock(mutex_);
    return played_;
}

int RecordingVoicePlayer::StopCount() const {
    std::lock_guard lock(mutex_);
    return stops_;
}
