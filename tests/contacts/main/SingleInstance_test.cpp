#include "contacts/main/SingleInstance.h"

#include "TestSupport.h"
#include "platform/AppPaths.h"

#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

TEST(SingleInstance, SecondStartRefusedUntilTheFirstEnds)
{
    const QString lock = MakeTempDir(QStringLiteral("lock")) + QStringLiteral("/orvanta.lock");
    // A first instance as the system sees it: a locked descriptor. Closing it is all that is left
    // of a crashed process, so the lock must not outlive it.
    const int first = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_TRUE(first >= 0 && ::flock(first, LOCK_EX | LOCK_NB) == 0);

    TSingleInstance second;
    EXPECT_FALSE(StartAsOnlyInstance(second, lock));
    EXPECT_FALSE(second.Held());
    ASSERT_EQ(TestDialogs().Questions().size(), 1u);
    const auto &refusal = *TestDialogs().Last();
    EXPECT_TRUE(refusal.text == "程序已经运行..." && refusal.caption == "提示" && refusal.icon == MsgIcon::Stop);
    ::close(first);

    // One holder per process too.
    auto third = std::make_unique<TSingleInstance>();
    EXPECT_TRUE(StartAsOnlyInstance(*third, lock));
    EXPECT_TRUE(third->Held());
    EXPECT_EQ(TestDialogs().Questions().size(), 1u);
    TSingleInstance fourth;
    EXPECT_EQ(fourth.Acquire(lock), TSingleInstance::TLock::HeldElsewhere);
    // Deleting the lock file while the first runs must not let a second one in.
    ASSERT_TRUE(QFile::remove(lock));
    EXPECT_EQ(fourth.Acquire(lock), TSingleInstance::TLock::HeldElsewhere);
    EXPECT_FALSE(fourth.Held());
    third.reset();
    EXPECT_EQ(fourth.Acquire(lock), TSingleInstance::TLock::Held);
}

// The lock lives in the data root whatever the environment; one that cannot be taken stops the start.
TEST(SingleInstance, TheLockPath)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", MakeTempDir(QStringLiteral("runtime")).toLocal8Bit());
    const QString withRuntime = TSingleInstance::DefaultLockPath();
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(TSingleInstance::DefaultLockPath(), withRuntime);
    EXPECT_EQ(withRuntime, AppDir() + QStringLiteral("orvanta.lock"));
    if (!saved.isEmpty())
        qputenv("XDG_RUNTIME_DIR", saved);

    TSingleInstance instance;
    const QString lock = QStringLiteral("/proc/orvanta-no-such/orvanta.lock");
    EXPECT_FALSE(StartAsOnlyInstance(instance, lock));
    EXPECT_FALSE(instance.Held());
    const QString said = TestDialogs().Last() ? TestDialogs().Last()->text : QString();
    EXPECT_TRUE(said.contains(QStringLiteral("程序不能启动")) && said.contains(lock)) << said.toStdString();
}
