#include "common/Worker.h"

#include "support/Wait.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace verdane;

TEST(WorkerTest, ResultsReachALiveContextOnItsThreadAndADeadOneNever)
{
    auto context = std::make_unique<QObject>();
    Worker worker(context.get());
    QThread* deliveredOn = nullptr;
    int delivered = 0;
    worker.run([] { return 7; },
               [&](int result) {
                   deliveredOn = QThread::currentThread();
                   delivered = result;
               });
    ASSERT_TRUE(test::waitUntil([&] { return delivered == 7; }));
    EXPECT_EQ(deliveredOn, qApp->thread());

    worker.run([] { return 8; }, [&](int result) { delivered = result; });
    worker.wait();
    context.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 7);
}
