// Settings helpers over the user's settings store; wrongly typed values give the defaults and are told.
#include "platform/RegistrySettings.h"

#include <algorithm>
#include <cstring>

#include "platform/SettingsStore.h"

namespace {
template <typename T> std::optional<T> readTyped(const QString& name) {
    const SettingsStore store = SettingsStore::forUser();
    auto value = store.read(name);
    if (!value) return std::nullopt;
    if (auto* typed = std::get_if<T>(&*value)) return std::move(*typed);
    store.ReportWrongType(name);
    return std::nullopt;
}
} // namespace

bool RegValueExists(const QString& name) {
    return SettingsStore::forUser().read(name).has_value();
}

bool RegWriteString(const QString& name, const QString& text) {
    return SettingsStore::forUser().write(name, text);
}

bool RegWriteInteger(const QString& name, int32_t value) {
    return SettingsStore::forUser().write(name, value);
}

bool RegWriteBinary(const QString& name, const void* buffer, int64_t size) {
    if (size < 0 || (size > 0 && !buffer) || size > SettingsStore::MaximumFileSize) return false;
    const QByteArray bytes(static_cast<const char*>(buffer), qsizetype(size));
    return SettingsStore::forUser().write(name, bytes);
}

QString RegReadString(const QString& name) {
    return readTyped<QString>(name).value_or(QString());
}

int32_t RegReadInteger(const QString& name) {
    return readTyped<int32_t>(name).value_or(0);
}

bool RegReadBinary(const QString& name, void* buffer, int64_t size) {
    const auto bytes = readTyped<QByteArray>(name);
    if (!bytes) return false;
    const int64_t count = std::min<int64_t>(std::max<int64_t>(size, 0), bytes->size());
    if (count > 0 && buffer) std::memcpy(buffer, bytes->constData(), size_t(count));
    return true;
}
