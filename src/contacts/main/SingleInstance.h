#pragma once
#include <QString>

// One running program per data root: advisory locks on a file inside the data root and on the
// folder that holds it, held while this object lives. Every instance on the same data meets the
// same locks whatever its environment; the folder's lock stays even when the file is deleted
// while the program runs. The kernel drops both when the process ends, however it ends, so a
// crash leaves nothing stale.
class TSingleInstance
{
public:
    enum class TLock { Held, HeldElsewhere, Unavailable };

    TSingleInstance() = default;
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance &) = delete;
    TSingleInstance &operator=(const TSingleInstance &) = delete;

    // Held when this process now holds the locks; HeldElsewhere when another instance does;
    // Unavailable when the lock file or its folder cannot be opened or locked at all.
    TLock Acquire(const QString &lockPath);
    bool Held() const { return fileFd_ >= 0; }

    // "orvanta.lock" in the data root.
    static QString DefaultLockPath();

private:
    void Release();

    int folderFd_ = -1;
    int fileFd_ = -1;
};

// Takes the locks for this process. When another instance holds them it says so ("程序已经运行...");
// when they cannot be taken it says that the program cannot start. Either way it gives false and
// the program ends without touching the data.
bool StartAsOnlyInstance(TSingleInstance &instance, const QString &lockPath);
