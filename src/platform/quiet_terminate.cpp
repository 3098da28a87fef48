// The C++ runtime's default terminate handler names the uncaught exception's
// type on stderr, which a windowed program does not have; for that it links
// the runtime's symbol demangler and the whole printf family (some 75 KB in
// each module). This definition replaces it in each deliverable, as a plain
// object that wins over the runtime library's: the program ends at once,
// exactly as it would after the runtime's message.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
