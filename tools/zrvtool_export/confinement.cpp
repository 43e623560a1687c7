// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/zrvtool_export/confinement.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <seccomp.h>

namespace {

// The address sanitizer's leak check stops the threads through ptrace and
// reads /proc/self at exit: a sanitizer build keeps both, and may open
// files for reading; it still may not write, create or connect anything.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kLeakCheck = true;
#else
constexpr bool kLeakCheck = false;
#endif

// What the confined process may no longer do; everything else (reading and
// writing the descriptors it has, memory, threads, time, linking or renaming
// its finished output into place) it keeps. Refused calls fail with EACCES,
// as a file the user may not read would.
constexpr int kRefused[] = {
    // Opening files, by name or by handle (openat apart, below).
    SCMP_SYS(open), SCMP_SYS(openat2), SCMP_SYS(creat), SCMP_SYS(open_by_handle_at),
    SCMP_SYS(name_to_handle_at),
    // The network, and local sockets too.
    SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind), SCMP_SYS(listen),
    SCMP_SYS(accept), SCMP_SYS(accept4),
    // Other programs, and other processes' memory.
    SCMP_SYS(execve), SCMP_SYS(execveat), SCMP_SYS(process_vm_readv), SCMP_SYS(process_vm_writev),
    // io_uring opens files and sockets past the calls above.
    SCMP_SYS(io_uring_setup), SCMP_SYS(io_uring_enter), SCMP_SYS(io_uring_register),
    // Changing other files through their names.
    SCMP_SYS(truncate), SCMP_SYS(chmod), SCMP_SYS(fchmodat), SCMP_SYS(chown), SCMP_SYS(lchown),
    SCMP_SYS(fchownat), SCMP_SYS(mkdir), SCMP_SYS(mkdirat), SCMP_SYS(mknod), SCMP_SYS(mknodat),
    SCMP_SYS(symlink), SCMP_SYS(symlinkat),
};

int AddRules(scmp_filter_ctx filter) {
  const uint32_t refuse = SCMP_ACT_ERRNO(EACCES);
  for (const int call : kRefused) {
    if (const int status = seccomp_rule_add(filter, refuse, call, 0); status != 0) return status;
  }
  if (!kLeakCheck) {
    if (const int status = seccomp_rule_add(filter, refuse, SCMP_SYS(ptrace), 0); status != 0) return status;
    return seccomp_rule_add(filter, refuse, SCMP_SYS(openat), 0);
  }
  // openat for reading only, and never creating.
  int status = seccomp_rule_add(filter, refuse, SCMP_SYS(openat), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, O_ACCMODE, O_WRONLY));
  if (status == 0)
    status = seccomp_rule_add(filter, refuse, SCMP_SYS(openat), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, O_ACCMODE, O_RDWR));
  if (status == 0)
    status = seccomp_rule_add(filter, refuse, SCMP_SYS(openat), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, O_CREAT, O_CREAT));
  return status;
}

}  // namespace

bool ConfineProcess(std::string& error) {
  scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
  int status = filter ? AddRules(filter) : -ENOMEM;
  if (status == 0) status = seccomp_load(filter);
  seccomp_release(filter);
  if (status != 0) {
    error = std::string("the process cannot be confined: ") + std::strerror(-status);
    return false;
  }
  return true;
}
