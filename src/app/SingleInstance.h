#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kestrio {

// One running program per application folder. The lock is held until this object goes;
// a lock left by a program that crashed is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& applicationFolder);
    ~SingleInstance();

    // True when this process now holds the folder; false when another program holds it.
    bool Acquire();
    QString LockPath() const { return mLockPath; }
    // The name shared by everything that belongs to the program on `applicationFolder`: the
    // lock file and the channel files are handed over on. It comes from the folder's
    // canonical path.
    static QString KeyFor(const QString& applicationFolder);

private:
    QString mLockPath;
    std::unique_ptr<QLockFile> mLock;
};

} // namespace kestrio
