#pragma once
#include <QString>

// One running program per user: an advisory lock on a file, held while this object lives. The
// kernel drops the lock when the process ends, however it ends, so a crash leaves nothing stale.
class TSingleInstance
{
public:
    TSingleInstance() = default;
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;

    // True when this process now holds the lock; false when another one does. A lock file that
    // cannot be created at all does not stop the start.
    bool Acquire(const QString &lockPath);
    bool Held() const { return fd_ >= 0; }

    // $XDG_RUNTIME_DIR/orvanta.lock, or the data root when there is no runtime folder.
    static QString DefaultLockPath();

private:
    int fd_ = -1;
};

// Takes the lock for this process; when another one holds it, says so ("程序已经运行...") and
// gives false: the program then ends without touching the first one.
bool StartAsOnlyInstance(TSingleInstance &instance, const QString &lockPath);
