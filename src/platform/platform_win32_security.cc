// Win32 side of the platform seam: the user's SID and objects of the user's
// alone (win32_security.h).
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32_handles.h"
#include "platform/win32_security.h"

namespace kite {
namespace {

struct User {
  std::vector<unsigned char> token;  // the TOKEN_USER record; empty: unknown
  WideText text;
};

const User& user() {
  static const User user = [] {
    User read;
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
      return read;
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size ? size : 1);
    UniqueLocalMemory text;
    if (GetTokenInformation(token.get(), TokenUser, buffer.data(), size,
                            &size) &&
        ConvertSidToStringSidW(
            reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
            reinterpret_cast<wchar_t**>(text.put()))) {
      read.text = static_cast<const char16_t*>(text.get());
      read.token.swap(buffer);
    }
    return read;
  }();
  return user;
}

}  // namespace

PSID userSid() {
  const User& known = user();
  return known.token.empty()
             ? nullptr
             : reinterpret_cast<const TOKEN_USER*>(known.token.data())->User.Sid;
}

const WideText& userSidText() { return user().text; }

OwnerOnlySecurity::OwnerOnlySecurity() {
  const PSID sid = userSid();
  ACL* acl = reinterpret_cast<ACL*>(acl_);
  ready_ = sid && GetLengthSid(sid) <= SECURITY_MAX_SID_SIZE &&
           InitializeAcl(acl, sizeof acl_, ACL_REVISION) &&
           AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) &&
           InitializeSecurityDescriptor(&descriptor_,
                                        SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorOwner(&descriptor_, sid, FALSE) &&
           SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = &descriptor_;
  attributes_.bInheritHandle = FALSE;
}

bool ownedByUser(HANDLE handle, SE_OBJECT_TYPE type) {
  const PSID sid = userSid();
  PSID owner = nullptr;
  UniqueLocalMemory descriptor;
  return sid &&
         GetSecurityInfo(handle, type, OWNER_SECURITY_INFORMATION, &owner,
                         nullptr, nullptr, nullptr,
                         reinterpret_cast<PSECURITY_DESCRIPTOR*>(
                             descriptor.put())) == ERROR_SUCCESS &&
         owner && EqualSid(owner, sid);
}

}  // namespace kite
