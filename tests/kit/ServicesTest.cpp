// The beep, alert and log sinks that tests replace, and their restoring scopes.
#include "platform/kit/Services.h"

#include <gtest/gtest.h>

namespace {

TEST(ServicesTest, SinksReplaceTheServicesForTheirLifetimeAndNest)
{
    int outerBeeps = 0;
    int innerBeeps = 0;
    std::vector<pf::Alert> alerts;
    QStringList lines;
    {
        const pf::ScopedBeepSink outer([&] { ++outerBeeps; });
        const pf::ScopedAlertSink alertSink([&](const pf::Alert& alert) {
            alerts.push_back(alert);
            return 1;
        });
        const pf::ScopedLogSink logSink([&](const QString& line) { lines.append(line); });
        pf::beep();
        {
            const pf::ScopedBeepSink inner([&] { ++innerBeeps; });
            pf::beep();
        }
        pf::beep();
        EXPECT_EQ(pf::runAlert({QStringLiteral("Could not load image"), QStringLiteral("No such file"),
                                {QStringLiteral("OK"), QStringLiteral("Cancel")}}),
                  1);
        pf::logMessage(QStringLiteral("unreadable file"));
    }
    EXPECT_EQ(outerBeeps, 2);
    EXPECT_EQ(innerBeeps, 1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, QStringLiteral("Could not load image"));
    EXPECT_EQ(alerts[0].buttons.size(), 2);
    EXPECT_EQ(lines, QStringList{QStringLiteral("unreadable file")});
}

} // namespace
