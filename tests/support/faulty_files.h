#pragma once

#include "platform/file_system.h"

#include <functional>
#include <map>
#include <vector>

// The file layer's calls, in use for the life of the object, failing where
// the test says (EIO for a damaged disk, ENOSPC for a full one, EACCES for a
// file nobody may read) or ending the process as a kill would.
class FaultyFiles final : public FileSystemCalls {
public:
    enum Call { kOpen, kRead, kWrite, kSync, kClose, kRename, kRemove };
    static constexpr int kEvery = 0;

    // Call number `nth` (or every one) of kind `call` on a path holding
    // `pathPart` fails with `error`.
    void Fail(Call call, int error, const QString &pathPart, int nth = 1) {
        m_faults.push_back({call, error, pathPart, nth, 0});
    }
    // Call number `nth` of any kind ends the process with SIGKILL.
    void KillAt(int nth) { m_killAt = nth; }

    int calls = 0;  // of every kind
    int pauses = 0; // waits for a lock
    std::function<void()> onPause;

    int Open(const QString &path, OpenFor purpose, int permissions) override;
    qint64 Read(int fd, char *data, qint64 size) override;
    qint64 Write(int fd, const char *data, qint64 size) override;
    bool Sync(int fd) override;
    bool Close(int fd) override;
    bool Rename(const QString &from, const QString &to) override;
    bool Remove(const QString &path) override;
    void Pause(int milliseconds) override;

private:
    bool Fails(Call call, const QString &path); // counts the call; errno set when true

    struct Fault {
        Call call;
        int error;
        QString pathPart;
        int nth, seen;
    };
    std::vector<Fault> m_faults;
    std::map<int, QString> m_paths; // of the open descriptors
    int m_killAt = 0;
    ScopedFileCalls m_inUse{*this};
};
