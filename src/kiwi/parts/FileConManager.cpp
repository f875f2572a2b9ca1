// "FILECON.MNG": reading, list edits and the committed rewrite.
#include "kiwi/parts/FileConManager.h"

#include <stdexcept>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/io/BigEndianIO.h"
#include "kiwi/io/BoundedRead.h"
#include "kiwi/io/MemoryStream.h"
#include "platform/GuardedFileWriter.h"

TLN_FileConManager::TLN_FileConManager(const std::string& path) : TLN_Manager(path) {
    if (valid_) ReadTable();
}

void TLN_FileConManager::ReadTable() {
    try {
        const auto head = bounded::readRecord<8>(*stream_, 0);
        const BeCursor c = head.cursor();
        headerSize_ = c.u16(0);
        const int count = c.u16(2);
        headerValue_ = c.u32(4);
        // A header shorter than its own fields would let record 0 overwrite the count on save.
        valid_ = head.complete() && headerSize_ >= kMinHeaderSize && count <= kMaxRecords;
        if (!valid_) return;
        const int64_t streamSize = stream_->Size();
        headerTail_.resize(headerSize_ - kMinHeaderSize);
        if (!headerTail_.isEmpty() && bounded::readInto(*stream_, kMinHeaderSize, headerTail_.data(),
                                                        headerTail_.size()) != headerTail_.size()) {
            valid_ = false;
            return;
        }
        const int64_t fit =
            bounded::recordsThatFit(count, headerSize_, kRecordBytes, kRecordBytes, streamSize);
        truncated_ = fit < count;
        for (int64_t i = 0; i < fit; ++i) {
            const auto bytes = bounded::readRecord<kRecordBytes>(*stream_, headerSize_ + kRecordBytes * i);
            const BeCursor r = bytes.cursor();
            TLN_FileConRecord record;
            record.Number = r.u8(0);
            record.FileSize = r.u32(4);
            record.PhysicalName = r.fixedString(8, kNameBytes);
            record.LogicalName = r.fixedString(20, kNameBytes);
            records_.push_back(record);
            order_.push_back(int(i));
        }
    } catch (const KiwiError& error) {
        fail(error);
        order_.clear();
        records_.clear();
    }
}

const TLN_FileConRecord& TLN_FileConManager::GetRecord(int position) const {
    if (position < 0 || size_t(position) >= order_.size())
        throw std::out_of_range("FILECON.MNG position " + std::to_string(position));
    return records_[size_t(order_[size_t(position)])];
}

void TLN_FileConManager::Insert(int position, const TLN_FileConRecord& record) {
    if (position < 0 || size_t(position) > order_.size())
        throw std::out_of_range("FILECON.MNG position " + std::to_string(position));
    for (const std::string* name : {&record.LogicalName, &record.PhysicalName})
        if (name->size() > size_t(kNameBytes))
            throw EConvertError("File name \"" + *name + "\" is longer than 12 characters");
    records_.push_back(record);
    order_.insert(order_.begin() + position, int(records_.size() - 1));
}

void TLN_FileConManager::Delete(int position) {
    if (position < 0 || size_t(position) >= order_.size())
        throw std::out_of_range("FILECON.MNG position " + std::to_string(position));
    // The record stays in the array, unreferenced.
    order_.erase(order_.begin() + position);
}

QByteArray TLN_FileConManager::Serialize() const {
    if (!valid_) throw EWriteError("FILECON.MNG was not read");
    if (order_.size() > 0xFFFF) throw EWriteError("FILECON.MNG has too many records");
    TLN_MemoryStream out;
    WriteWordBE(out, uint16_t(headerSize_), 0);
    WriteWordBE(out, uint16_t(order_.size()), 2);
    WriteDWordBE(out, headerValue_, 4);
    if (!headerTail_.isEmpty()) out.WriteAt(kMinHeaderSize, headerTail_.constData(), headerTail_.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        const TLN_FileConRecord& record = records_[size_t(order_[i])];
        const int64_t r = headerSize_ + int64_t(kRecordBytes) * int64_t(i);
        WriteDWordBE(out, uint32_t(record.Number) << 24, r);
        WriteDWordBE(out, record.FileSize, r + 4);
        WriteFixedString(out, record.PhysicalName, kNameBytes, r + 8);
        WriteFixedString(out, record.LogicalName, kNameBytes, r + 20);
    }
    out.SetSize(headerSize_ + int64_t(kRecordBytes) * int64_t(order_.size()));
    const std::vector<uint8_t> bytes = out.Bytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

void TLN_FileConManager::SaveToFile(const std::string& path) const {
    const QByteArray bytes = Serialize();
    GuardedFileWriter file(path, {});
    if (!file.IsOpen()) throw EFCreateError("Cannot create file \"" + path + "\". " + file.Error());
    if (!file.Write(bytes.constData(), size_t(bytes.size())))
        throw EWriteError("Cannot write file \"" + path + "\". " + file.Error());
    if (!file.Commit()) throw EFCreateError("Cannot create file \"" + path + "\". " + file.Error());
}
