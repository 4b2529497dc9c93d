// Windows build only: the few runtime pieces that launcher.exe takes from
// here instead of the static C++ runtime. The launcher catches no exception,
// so any failure these report already ended the run: through an uncaught
// exception, std::terminate and abort(). Built without exceptions, it ends
// the same way, with abort(), and without linking the exception machinery,
// the demangler and the printf family that the runtime's versions bring.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
    // malloc(0) may return null; a zero-sized request still gets a block.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) std::abort();
    return block;
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }

// The standard library's containers report impossible sizes and bad
// positions through these; their names are the library's own.
// NOLINTBEGIN(bugprone-reserved-identifier): replacing them is the point
namespace std {

[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }

}  // namespace std
// NOLINTEND(bugprone-reserved-identifier)
