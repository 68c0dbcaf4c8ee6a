#pragma once

#include <QString>

// Claims the program-wide name for this process. Returns false when another running
// process holds it. The claim is an abstract Unix socket bound to the name: the operating
// system releases it when the process ends, however it ends, so a crashed instance never
// blocks a later start. Any failure other than "name in use" lets the program start.
// Abstract sockets are Linux-only; the Windows counterpart is a named mutex, CreateMutexW,
// which reports ERROR_ALREADY_EXISTS while another process holds it.
bool ClaimSingleInstance(const QString &name);
