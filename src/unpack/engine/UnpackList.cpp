// Opening and validating a CMP list for the unpack tools.
#include "unpack/engine/UnpackList.h"

#include "kiwi/core/KiwiErrors.h"

UnpackList::UnpackList(UnpackOrigin origin, std::unique_ptr<TLN_CompressionManager> list)
    : origin_(std::move(origin)), list_(std::move(list)), entries_(list_->Entries()) {}

std::shared_ptr<const UnpackList> UnpackList::Open(const UnpackOrigin& origin, OpenResult* result) {
    OpenResult ignored;
    OpenResult& outcome = result ? *result : ignored;
    std::shared_ptr<TLN_Stream> stream;
    try {
        stream = origin.OpenList();
    } catch (const KiwiError&) {
        outcome = OpenResult::Missing;
        return nullptr;
    }
    auto list = std::make_unique<TLN_CompressionManager>(origin.ListPath(), std::move(stream));
    const CmpListKind kind = list->Kind();
    // A "13.CMP" list describes its files differently and is not unpacked here; a list cut short names
    // files it cannot describe.
    if (!list->IsValid() || (kind != CmpListKind::List05 && kind != CmpListKind::List06)) {
        outcome = OpenResult::Invalid;
        return nullptr;
    }
    auto opened = std::make_shared<UnpackList>(origin, std::move(list));
    if (opened->entries_.size() != opened->list_->EntryCount()) {
        outcome = OpenResult::Invalid;
        return nullptr;
    }
    outcome = OpenResult::Opened;
    return opened;
}
