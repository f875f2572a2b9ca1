// Go-to rules: hex offsets, the clamp to the last byte, refused input, the empty stream, and "GotoCash"
// as 80 little-endian bytes in the settings.
#include <gtest/gtest.h>

#include "TempSettings.h"
#include "hexview/dialogs/model/GotoDialogModel.h"

using hexdialogstest::offsetBytes;
using hexdialogstest::TempSettings;

TEST(GotoDialogModel, AnAddressBeyondTheEndGoesToTheLastByte) {
    TempSettings settings;
    GotoDialogModel model(settings.Store(), 100);
    EXPECT_EQ(model.Submit("100"), 99);
    EXPECT_EQ(model.Submit("64"), 99);
    EXPECT_EQ(model.Submit("FFFFFFFFFFFF"), 99);
    EXPECT_EQ(model.Submit("10"), 16);
    EXPECT_EQ(settings.Binary("GotoCash"), offsetBytes({16, 99}));
    EXPECT_EQ(GotoDialogModel(settings.Store(), 100).Items(), (QStringList{"10", "63"}));
}

TEST(GotoDialogModel, AddressZeroIsAcceptedButNeverRemembered) {
    TempSettings settings;
    GotoDialogModel model(settings.Store(), 100);
    EXPECT_EQ(model.Submit("0"), 0);
    EXPECT_EQ(model.Submit("000"), 0);
    EXPECT_TRUE(model.History().Listed().empty());
    EXPECT_EQ(settings.Binary("GotoCash"), QByteArray(80, '\0'));
}

TEST(GotoDialogModel, UnreadableAddressesKeepTheDialog) {
    TempSettings settings;
    GotoDialogModel model(settings.Store(), 100);
    for (const char* bad : {"", "G", "-1", "1 0", "$10", "8000000000000000"})
        EXPECT_EQ(model.Submit(bad), std::nullopt) << bad;
    EXPECT_FALSE(settings.Has("GotoCash"));
}

TEST(GotoDialogModel, AnEmptyStreamHasNoAddress) {
    // Clamping to the last byte would give -1.
    TempSettings settings;
    GotoDialogModel model(settings.Store(), 0);
    EXPECT_EQ(model.Submit("0"), std::nullopt);
    EXPECT_EQ(model.Submit("10"), std::nullopt);
    EXPECT_FALSE(model.TextAcceptable("0"));
}

TEST(GotoDialogModel, OffsetsBeyondFourGigabytes) {
    TempSettings settings;
    const int64_t size = int64_t(9) << 31;
    GotoDialogModel model(settings.Store(), size);
    EXPECT_TRUE(model.TextAcceptable("47FFFFFFF"));
    EXPECT_FALSE(model.TextAcceptable("480000000"));
    EXPECT_EQ(model.Submit("123456789"), int64_t(0x123456789));
    EXPECT_EQ(model.Submit("FFFFFFFFF"), size - 1);
    EXPECT_EQ(GotoDialogModel(settings.Store(), size).Items(), (QStringList{"047FFFFFFF", "0123456789"}));
}

TEST(GotoDialogModel, OffersTheRememberedAddressesAboveZero) {
    TempSettings settings;
    SettingsStore store = settings.Store();
    ASSERT_TRUE(store.write("GotoCash", offsetBytes({0x500, 0, -7, 0x63, 0x1000})));
    GotoDialogModel model(settings.Store(), 0x100);
    EXPECT_EQ(model.Items(), (QStringList{"0500", "63", "1000"}));
    // Addresses from a larger file stay listed; a new one goes on top, the empty slots fill from below.
    EXPECT_EQ(model.Submit("20"), 0x20);
    EXPECT_EQ(settings.Binary("GotoCash"), offsetBytes({0x20, 0x500, 0, -7, 0x63, 0x1000}));
}
