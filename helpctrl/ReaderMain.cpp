// The help control's reading program, "hhctrl-reader", installed beside the control:
//   hhctrl-reader FILE
// writes what the window shows of the compiled help file FILE (a POSIX path) to its standard
// output (ChmStream.h) and ends with 0; ends with 1 when the file cannot be read whole, and with 2
// when reading it takes more memory than MemoryLimit allows.

#include "helpctrl/ChmStream.h"

#include <fcntl.h>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A help file whose reading needs more than this is given up: no valid file comes near it, and the
// machine's memory is not the reader's to take.
constexpr rlim_t MemoryLimit = rlim_t(768) << 20;

// The address space of the sanitizers' builds is mostly their own reservations: no limit there.
#if defined(__has_feature)
constexpr bool LimitMemory = !__has_feature(address_sanitizer) && !__has_feature(thread_sanitizer);
#elif defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool LimitMemory = false;
#else
constexpr bool LimitMemory = true;
#endif

} // namespace

int main(int argc, char** argv)
{
    // Whatever the program says on its way down (a crash report) is of no use to the user.
    if (const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0)
        ::dup2(null, STDERR_FILENO);
    if (argc != 2)
        return 1;
    if (LimitMemory) {
        const rlimit limit{MemoryLimit, MemoryLimit};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    try {
        return ChmStream::StreamFile(argv[1], STDOUT_FILENO) ? 0 : 1;
    } catch (const std::bad_alloc&) {
        return ChmStream::ExitOutOfMemory;
    }
}
