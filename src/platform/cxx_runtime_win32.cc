// The pieces of the C++ library the Windows executables take from here
// rather than from the static libstdc++, which builds them with exception
// handling: each of its own copies would bring the unwinder, the exception
// runtime and their tables into a program that throws nothing.  Linked
// directly into every Windows executable (an object, not an archive
// member), so the linker finds these definitions first.  Windows only.
#include <cstdlib>
#include <new>
#include <string>

// Memory: as the library's own operators, but running out ends the program
// with abort() instead of throwing std::bad_alloc, which nothing here would
// catch (the program would end the same way); the nothrow forms still
// return null.
void* operator new(std::size_t size) {
  if (void* block = std::malloc(size ? size : 1)) return block;
  std::abort();
}

void* operator new[](std::size_t size) { return operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}

// std::string: the library's headers declare its members instantiated in
// the library (string-inst.o), whose copy of the whole class comes into the
// executable with its unwind tables, which keep every member alive.
// Instantiated here instead, built as the rest of the program is, the
// linker keeps the members used only.
template class std::basic_string<char>;
