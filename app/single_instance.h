#pragma once

#include <QString>
#include <sys/types.h>

// One viewer per person: claims name for this process and this user. Returns false when
// another running process of the same user holds it; processes of other users hold their
// own. Any failure other than "name in use" lets the program start.
//
// The claim is released by the operating system when the process ends, however it ends, so
// a crashed instance never blocks a later start:
// - where the user's runtime directory ($XDG_RUNTIME_DIR: created at the user's first login,
//   removed at the last logout, private to the user) exists, owned by the user and closed to
//   others, it is a lock (flock) on the file <name>.lock there, which no other user can take
//   or block;
// - otherwise (no login session: su, a service, a container) it is an abstract Unix socket
//   named <name>-<user id>. Abstract sockets are Linux-only; the Windows counterpart is a
//   named mutex in the session's namespace, CreateMutexW, which reports ERROR_ALREADY_EXISTS
//   while another process holds it.
bool ClaimSingleInstance(const QString &name);

// The same for the user user whose runtime directory is runtimeDirectory ("" for none).
bool ClaimSingleInstance(const QString &name, uid_t user, const QString &runtimeDirectory);
