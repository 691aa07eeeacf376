#include "app/SessionTable.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(SessionTable, KeyedByIdentitySoAHugeOneCostsOneEntry) {
    TSessionTable table;
    EXPECT_EQ(table.pid(7), 0);
    table.setPid(2000000000, 4242);
    table.setPid(7, 99);
    EXPECT_EQ(table.pid(2000000000), 4242);
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.entries(), (QVector<QPair<int, int>>{{7, 99}, {2000000000, 4242}}));
    table.setPid(7, 0); // the session ended
    EXPECT_EQ(table.pid(7), 0);
    EXPECT_EQ(table.size(), 1);
    table.clear();
    EXPECT_TRUE(table.entries().isEmpty());
}

TEST(SessionTable, WatcherThreadsAndTheWindowMayWriteAtOnce) {
    TSessionTable table;
    std::vector<std::thread> watchers;
    for (int t = 0; t < 4; ++t) {
        watchers.emplace_back([&table, t] {
            for (int i = 0; i < 2000; ++i) {
                table.setPid(t * 10000 + i, i + 1);
                table.setPid(t * 10000 + i - 1, 0);
                (void)table.entries();
            }
        });
    }
    for (std::thread& watcher : watchers)
        watcher.join();
    EXPECT_EQ(table.size(), 4); // each thread leaves its last session
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(table.pid(t * 10000 + 1999), 2000);
}
