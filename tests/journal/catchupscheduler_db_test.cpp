#include "fb/EventListener.h"
#include "journal/CatchUpScheduler.h"
#include "journal/TableLogs.h"
#include "support/SchemaDatabase.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using CatchUpSchedulerDb = testsupport::SchemaDatabase;

TEST_F(CatchUpSchedulerDb, DeliveriesAndEachStartOfListeningRunACatchUp) {
    int runs = 0;
    CatchUpScheduler scheduler([&] { ++runs; });
    scheduler.watch(db.IBEvents1);
    db.IBEvents1.attach(db.IBDatabase1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 5000)) << "listening started";

    auto other = testsupport::connectAnother(dbPath);
    type_ParametersOfEvents r;
    r.Type_ = 4;
    insertDataInLOGS(*other, r);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 2; }, 5000));

    db.IBEvents1.detach();
    db.IBEvents1.attach(db.IBDatabase1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 3; }, 5000)) << "a re-attach catches up";
}
