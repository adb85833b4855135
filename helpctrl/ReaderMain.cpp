// The help control's reading program, "hhctrl-reader", installed beside the control:
//   hhctrl-reader FILE
// writes the objects and the search of the compiled help file FILE (a POSIX path) to its standard
// output (ChmStream.h) and ends with 0, or ends with 1 when the file cannot be read whole.

#include "helpctrl/ChmStream.h"

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Whatever the program says on its way down (a crash report) is of no use to the user.
    if (const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0)
        ::dup2(null, STDERR_FILENO);
    if (argc != 2)
        return 1;
    return ChmStream::StreamFile(argv[1], STDOUT_FILENO) ? 0 : 1;
}
