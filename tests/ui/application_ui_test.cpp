#include "FakeDialogs.h"
#include "fb/Error.h"
#include "ui/Application.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(UnexpectedErrors, AreShownWithTheirOwnTextAndDoNotEscape) {
    FakeDialogs dialogs;
    EXPECT_FALSE(
        deliverReportingErrors([]() -> bool { throw fb::Error(QStringLiteral("Ошибка сервера")); }, dialogs));
    EXPECT_FALSE(
        deliverReportingErrors([]() -> bool { throw std::runtime_error("plain failure"); }, dialogs));
    EXPECT_FALSE(deliverReportingErrors([]() -> bool { throw 42; }, dialogs));
    ASSERT_EQ(dialogs.errors.size(), 3);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("Ошибка сервера"));
    EXPECT_EQ(dialogs.errors[1], QStringLiteral("plain failure"));
}

TEST(UnexpectedErrors, NormalDeliveryPassesItsResultThrough) {
    FakeDialogs dialogs;
    EXPECT_TRUE(deliverReportingErrors([] { return true; }, dialogs));
    EXPECT_FALSE(deliverReportingErrors([] { return false; }, dialogs));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}
