// The program's own terminate handler, under the name of the library's default one. That
// default prints the type of the escaped exception to a console this program does not have, and
// with it links the library's demangler (about 46 KB); defined here, the library's is never
// linked. This file is therefore a source of the executable itself, never of a library, so that
// its definition is seen before the library is searched.
#include <cxxabi.h>

#include <cstdlib>

#include "win/Trace.h"

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  try {
    TraceLine() << " Terminated: an exception escaped";
  } catch (...) {
  }
  std::abort();
}

}  // namespace __gnu_cxx
