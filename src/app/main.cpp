#include "CommandLine.h"

int main(int argc, char *argv[])
{
    return kelvo::runKelvo(argc, argv);
}
