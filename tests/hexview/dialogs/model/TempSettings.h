// A settings store of its own for each test, in a temporary folder removed afterwards.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <gtest/gtest.h>

#include "platform/SettingsStore.h"

namespace hexdialogstest {

class TempSettings {
public:
    TempSettings() { EXPECT_TRUE(dir_.isValid()); }
    SettingsStore Store() const { return SettingsStore(dir_.path() + "/Strovane/settings.txt"); }

    QByteArray Binary(const QString& name) const {
        const auto value = Store().read(name);
        return value && std::holds_alternative<QByteArray>(*value) ? std::get<QByteArray>(*value)
                                                                   : QByteArray();
    }
    std::optional<int32_t> Integer(const QString& name) const {
        const auto value = Store().read(name);
        if (!value || !std::holds_alternative<int32_t>(*value)) return std::nullopt;
        return std::get<int32_t>(*value);
    }
    bool Has(const QString& name) const { return Store().read(name).has_value(); }

private:
    QTemporaryDir dir_;
};

// Ten offsets as the 80-byte little-endian stored form.
inline QByteArray offsetBytes(std::initializer_list<int64_t> values) {
    QByteArray bytes(80, '\0');
    int i = 0;
    for (const int64_t value : values) {
        for (int b = 0; b < 8; ++b)
            bytes[i * 8 + b] = char(uint64_t(value) >> (8 * b));
        ++i;
    }
    return bytes;
}

} // namespace hexdialogstest
