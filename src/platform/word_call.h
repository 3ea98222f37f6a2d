// Calling a library function of up to fourteen integer or pointer
// arguments where there is one calling convention (x64 Windows, POSIX):
// each argument takes one register or stack slot the width of a pointer,
// and the caller owns the slots, so extra arguments are harmless (the callee
// never reads them).  32-bit Windows has two conventions and its own call.
#ifndef KITE_PLATFORM_WORD_CALL_H_
#define KITE_PLATFORM_WORD_CALL_H_

#include <cstdint>

namespace kite {

inline std::intptr_t callWithWords(void* function, const std::uintptr_t* args,
                                   int count) {
  using Word = std::uintptr_t;
  using Call = std::intptr_t (*)(Word, Word, Word, Word, Word, Word, Word,
                                 Word, Word, Word, Word, Word, Word, Word);
  Word a[14] = {};
  for (int i = 0; i < count && i < 14; ++i) a[i] = args[i];
  return reinterpret_cast<Call>(function)(a[0], a[1], a[2], a[3], a[4], a[5],
                                          a[6], a[7], a[8], a[9], a[10], a[11],
                                          a[12], a[13]);
}

}  // namespace kite

#endif  // KITE_PLATFORM_WORD_CALL_H_
