#include "contacts/main/SingleInstance.h"

#include "TestSupport.h"
#include "platform/AppPaths.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Another process holding the lock, as a first instance would. The child does nothing but
// system calls (no allocation, no Qt), which is what a child of a threaded process may do.
class Holder
{
public:
    explicit Holder(const QString &lockPath)
    {
        const QByteArray path = QFile::encodeName(lockPath);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(path.constData(), O_RDWR | O_CREAT, 0600);
            const char answer = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            if (::write(ready[1], &answer, 1) != 1)
                ::_exit(2);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char answer = 0;
        held_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == '1';
        ::close(ready[0]);
    }
    ~Holder() { Kill(); }
    bool Held() const { return held_; }
    // Killed, not ended cleanly, like a crash.
    void Kill()
    {
        if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};

} // namespace

TEST(SingleInstance, SecondStartRefusedUntilTheFirstEnds)
{
    const QString lock = MakeTempDir(QStringLiteral("lock")) + QStringLiteral("/orvanta.lock");
    Holder first(lock);
    ASSERT_TRUE(first.Held());

    TSingleInstance second;
    EXPECT_FALSE(StartAsOnlyInstance(second, lock));
    EXPECT_FALSE(second.Held());
    ASSERT_EQ(TestDialogs().Questions().size(), 1u);
    EXPECT_EQ(TestDialogs().Last()->text, QStringLiteral("程序已经运行..."));
    EXPECT_EQ(TestDialogs().Last()->caption, QStringLiteral("提示"));
    EXPECT_EQ(TestDialogs().Last()->icon, MsgIcon::Stop);
    first.Kill();  // the lock must not outlive the process, however it ended

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
    ASSERT_NE(TestDialogs().Last(), nullptr);
    EXPECT_TRUE(TestDialogs().Last()->text.contains(QStringLiteral("程序不能启动")));
    EXPECT_TRUE(TestDialogs().Last()->text.contains(lock));
}
