// What the hex viewer's tests share: streams over given bytes, streams that misbehave (short reads, read
// errors, slow reads, a huge size without data), a log of the grid model's events, and a wait for a
// search's end on the event loop.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "hexview/model/HexGridModel.h"
#include "hexview/model/HexSearchController.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/MemoryStream.h"

namespace hextest {

inline std::shared_ptr<TLN_Stream> memoryStream(std::vector<uint8_t> bytes, std::string name = "MEMORY.BIN") {
    return std::make_shared<TLN_MemoryStream>(std::move(bytes), std::move(name));
}

inline std::vector<uint8_t> counting(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = uint8_t(i);
    return bytes;
}

// Claims size bytes but delivers only the first `delivers` of them.
class ShortReadStream : public TLN_Stream {
public:
    ShortReadStream(std::vector<uint8_t> bytes, int64_t size) : bytes_(std::move(bytes)), size_(size) {}
    int64_t Size() override { return size_; }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        ++reads;
        if (position < 0 || count <= 0 || position >= int64_t(bytes_.size())) return 0;
        const int64_t n = std::min<int64_t>(count, int64_t(bytes_.size()) - position);
        std::memcpy(buffer, bytes_.data() + position, size_t(n));
        return n;
    }
    std::atomic<int64_t> reads{0};

private:
    std::vector<uint8_t> bytes_;
    int64_t size_;
};

// Every read fails as a damaged file does.
class FailingStream : public TLN_Stream {
public:
    explicit FailingStream(int64_t size) : size_(size) {}
    int64_t Size() override { return size_; }
    int64_t ReadAt(int64_t, void*, int64_t) override { throw EReadError("File read error!"); }

private:
    int64_t size_;
};

// Given bytes, each read taking a while, and every read from failAt on failing as a damaged file does.
class SlowBytesStream : public TLN_Stream {
public:
    SlowBytesStream(std::vector<uint8_t> bytes, std::chrono::microseconds perRead, int64_t failAt = INT64_MAX)
        : bytes_(std::move(bytes)), perRead_(perRead), failAt_(failAt) {}
    int64_t Size() override { return int64_t(bytes_.size()); }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        std::this_thread::sleep_for(perRead_);
        if (position + count > failAt_) throw EReadError("File read error!");
        if (position < 0 || count <= 0 || position >= Size()) return 0;
        const int64_t n = std::min(count, Size() - position);
        std::memcpy(buffer, bytes_.data() + position, size_t(n));
        return n;
    }

private:
    std::vector<uint8_t> bytes_;
    std::chrono::microseconds perRead_;
    int64_t failAt_;
};

// Zero bytes of a size no test could hold (40 GiB and more); reads cost nothing.
class HugeZeroStream : public TLN_Stream {
public:
    explicit HugeZeroStream(int64_t size) : size_(size) {}
    int64_t Size() override { return size_; }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (position < 0 || count <= 0 || position >= size_) return 0;
        const int64_t n = std::min(count, size_ - position);
        std::memset(buffer, 0, size_t(n));
        return n;
    }
    std::string FileName() const override { return "HUGE.BIN"; }

private:
    int64_t size_;
};

// Zero bytes, each read taking a while: a search over it runs long enough to be cancelled.
class SlowStream : public HugeZeroStream {
public:
    SlowStream(int64_t size, std::chrono::microseconds perRead) : HugeZeroStream(size), perRead_(perRead) {}
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        std::this_thread::sleep_for(perRead_);
        return HugeZeroStream::ReadAt(position, buffer, count);
    }

private:
    std::chrono::microseconds perRead_;
};

// The model's events in order, as text.
struct EventLog {
    explicit EventLog(HexGridModel& model) {
        QObject::connect(&model, &HexGridModel::selectionChanged, [this](qint64 s, qint64 e) {
            events.push_back("selection " + std::to_string(s) + " " + std::to_string(e));
        });
        QObject::connect(&model, &HexGridModel::addressChanged, [this](qint64 a, quint8 b) {
            events.push_back("address " + std::to_string(a) + " " + std::to_string(b));
        });
        QObject::connect(&model, &HexGridModel::fileChanged,
                         [this](const QString& name) { events.push_back("file " + name.toStdString()); });
    }
    std::vector<std::string> take() { return std::move(events); }
    std::vector<std::string> events;
};

// The result of a search that Find left running, once it has ended (kSearchTimedOut when it did not end in
// time).
inline constexpr int64_t kSearchTimedOut = INT64_MIN;
inline int64_t waitForEnd(HexSearchController& search, int64_t found, int seconds = 120) {
    if (found != HexSearchController::kSearchRunning) return found;
    if (!search.Searching()) return search.LastResult();
    QEventLoop loop;
    int64_t result = kSearchTimedOut;
    auto connection = QObject::connect(&search, &HexSearchController::searchEnded, &loop, [&](qint64 r) {
        result = r;
        loop.quit();
    });
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return result;
}

} // namespace hextest
