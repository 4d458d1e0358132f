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

private:
    QString mLockPath;
    std::unique_ptr<QLockFile> mLock;
};

} // namespace kestrio
