// Readers that turn a failed read into "not valid" keep the reason, and keep none when nothing failed.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "kiwi/cmp/CompressionManager.h"
#include "kiwi/core/KiwiErrors.h"
#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "kiwi/parts/DicVceManager.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "kiwi/parts/ParamManager.h"
#include "kiwi/parts/RdstmcManager.h"
#include "kiwi/picture/EXPCTManager.h"
#include "kiwi/picture/GraphicManager.h"
#include "kiwi/picture/PCT2MNGManager.h"
#include "kiwi/voice/VoiceManager.h"
#include "kiwi/voice/VoiceMe1Manager.h"

namespace {

const char* const kReason = "sector 12 of the disc cannot be read";

// A file of a megabyte whose every read fails, as a scratched disc or a broken compressed block does.
class FailingStream : public TLN_Stream {
public:
    int64_t Size() override { return 1 << 20; }
    int64_t ReadAt(int64_t, void*, int64_t) override { throw EReadError(kReason); }
    std::string FileName() const override { return "BROKEN.KWI"; }
};

struct Outcome {
    bool valid;
    std::string reason;
};
template <typename Reader> Outcome outcomeOf(const Reader& reader) {
    return {reader.IsValid(), reader.ErrorString()};
}

struct ReaderCase {
    const char* name;
    std::function<Outcome(std::shared_ptr<TLN_Stream>)> open;
};

template <typename Reader> ReaderCase atBase(const char* name) {
    return {name, [](std::shared_ptr<TLN_Stream> stream) { return outcomeOf(Reader(std::move(stream), 0)); }};
}

const ReaderCase kReaders[] = {
    atBase<TLN_ParamManager>("parameters"),
    atBase<TLN_RdstmcManager>("RDS-TMC"),
    atBase<TLN_DicVceManager>("voice dictionary"),
    atBase<TLN_LocalManager>("localisation"),
    atBase<TLN_Manager21>("management 21"),
    atBase<TLN_EXPCTManager>("extended pictures"),
    atBase<TLN_GraphicManager>("pictures"),
    atBase<TLN_PCT2MNGManager>("picture assignments"),
    atBase<TLN_IndexManager>("index data"),
    atBase<TLN_VoiceManager>("voice"),
    atBase<TLN_VoiceMe1Manager>("ME1 voice"),
    {"CMP list",
     [](std::shared_ptr<TLN_Stream> stream) {
         return outcomeOf(TLN_CompressionManager("05.CMP", std::move(stream)));
     }},
};

} // namespace

TEST(ReaderFailureReason, AReadThatFailsLeavesTheReaderInvalidWithItsReason) {
    for (const ReaderCase& reader : kReaders) {
        const Outcome outcome = reader.open(std::make_shared<FailingStream>());
        EXPECT_FALSE(outcome.valid) << reader.name;
        EXPECT_EQ(outcome.reason, kReason) << reader.name;
    }
}

TEST(ReaderFailureReason, ContentsThatAreNotValidRaiseNoReason) {
    for (const ReaderCase& reader : kReaders) {
        // A megabyte of zeros reads without error, whatever the reader makes of it.
        const Outcome outcome =
            reader.open(std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(1 << 20)));
        EXPECT_EQ(outcome.reason, "") << reader.name;
    }
}
