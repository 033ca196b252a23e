#ifndef TEXTFERRO_TESTS_ORDINARYFILEACCESS_H
#define TEXTFERRO_TESTS_ORDINARYFILEACCESS_H

// While it lives, the calling thread is bound by file modes even under root, so a
// file nobody may read really cannot be opened: the two capabilities that override
// the modes leave the thread's effective set and come back afterwards from the
// permitted set, which needs no privilege.

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class OrdinaryFileAccess {
public:
  OrdinaryFileAccess() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    ::syscall(SYS_capget, &header, saved);
    __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
    lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
    ::syscall(SYS_capset, &header, lowered);
  }
  ~OrdinaryFileAccess() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    ::syscall(SYS_capset, &header, saved);
  }
  OrdinaryFileAccess(const OrdinaryFileAccess&) = delete;

private:
  __user_cap_data_struct saved[2] = {};
};

#endif
