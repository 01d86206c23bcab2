// The program as the benchmarks run it: kelvo's own entry and start-up, with the trace of
// BenchTrace.h installed on the main window where the program a student runs installs nothing.
// It lives in bin/ beside kelvo and finds the web engine's library as kelvo does.

#include "BenchTrace.h"
#include "CommandLine.h"

int main(int argc, char *argv[])
{
    return kelvo::runKelvo(argc, argv, kelvo::installBenchTrace);
}
