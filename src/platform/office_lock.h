#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Word processors of the LibreOffice family mark a document they hold open
// with a lock file ".~lock.<name>#" beside it, one line of comma-separated
// fields: "<formal name>,<user>,<host>,<date time>,<profile URL>;". Nothing
// else stops another program from replacing the document under them, so the
// program checks for that mark before it rewrites its report.

// Name of the lock file such a word processor keeps for `documentPath`.
QString OfficeLockPathFor(const QString &documentPath);

// The host field of a lock file's line (the third field), with the
// backslash escapes of the fields undone; empty when the line has none.
QString OfficeLockHost(const QByteArray &line);

// True when `a` and `b` name the same machine: the same first label,
// whatever the letter case, so a short name matches a fully qualified one.
bool SameHost(const QString &a, const QString &b);

// What the lock file beside a document says. The document is the file that
// is written: a symbolic link is followed to its target, whose folder holds
// the lock.
struct WordProcessorLock {
    bool held = false;       // a word processor holds the document open
    bool unreadable = false; // a lock file is there but may not be read (another
                             // user's): trusted, as nothing tells it stale
    QString lockPath;        // the lock file looked for
};

// The lock file is opened without following a link at its name and without
// waiting on a pipe, and only a regular file counts; its first line alone
// is read.
WordProcessorLock
FindWordProcessorLock(const QString &documentPath, const QString &thisHost,
                      const std::function<bool(uint ownerId)> &wordProcessorRunsFor);
// The same with this machine's name and its running processes.
WordProcessorLock FindWordProcessorLock(const QString &documentPath);

// True when a word processor holds the document open: its lock file exists
// and is not stale. A lock written on another host always counts, as nothing
// here can see that machine's processes. A lock written on this host (or
// without a host) is stale when `wordProcessorRunsFor` says that no process
// of the word processor runs for the lock file's owner: the program that
// wrote it has ended without removing it (a crash, a power cut).
bool IsHeldByWordProcessor(const QString &documentPath, const QString &thisHost,
                           const std::function<bool(uint ownerId)> &wordProcessorRunsFor);

// The same with this machine's name and its running processes.
bool IsHeldByWordProcessor(const QString &documentPath);

// True when a process of the LibreOffice family runs under the user `uid`.
// Where processes cannot be listed, the answer is true: a lock that cannot
// be judged stale is trusted.
bool WordProcessorRunsFor(uint uid);
