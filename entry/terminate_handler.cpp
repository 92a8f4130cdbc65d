// The C++ run-time's default terminate handler prints the pending exception's demangled type
// name, which links the whole demangler into the program. This program neither throws nor
// catches and has no console to print to, so ending it is all a handler can do; defined here,
// it keeps the library's own, and the demangler, out of the link.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
