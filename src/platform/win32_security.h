// Objects of the user's alone: the user's SID, security attributes that make
// a new object (a mutex, a memory block, a file) owned by the user and open
// to the user alone, and the check that an object found already there is
// the user's.  Windows only.
#ifndef KITE_PLATFORM_WIN32_SECURITY_H_
#define KITE_PLATFORM_WIN32_SECURITY_H_

#include <windows.h>

#include <aclapi.h>

#include "platform/win32_support.h"

namespace kite {

// The SID of the user the launcher runs as, read from its token once; null
// when it cannot be read.
PSID userSid();
// The same as text ("S-1-5-21-..."); empty when it cannot be read.
const WideText& userSidText();

// Security attributes for a new object: its owner is the user, and its
// access list has one entry, all access for the user, so no other account
// (not the administrators either, short of taking ownership) can open it.
// Not inherited by the child.
class OwnerOnlySecurity {
 public:
  OwnerOnlySecurity();
  OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
  OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;
  // Null when the user's SID is unknown or the descriptor cannot be made.
  SECURITY_ATTRIBUTES* get() { return ready_ ? &attributes_ : nullptr; }

 private:
  // The access list: its header, one entry and a SID of at most
  // SECURITY_MAX_SID_SIZE bytes, DWORD-aligned.
  DWORD acl_[(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE +
              sizeof(DWORD) - 1) / sizeof(DWORD)];
  SECURITY_DESCRIPTOR descriptor_;
  SECURITY_ATTRIBUTES attributes_;
  bool ready_ = false;
};

// Whether the object `handle` (of `type`: SE_KERNEL_OBJECT or
// SE_FILE_OBJECT) is owned by the user; false when either cannot be told.
bool ownedByUser(HANDLE handle, SE_OBJECT_TYPE type);

}  // namespace kite

#endif  // KITE_PLATFORM_WIN32_SECURITY_H_
