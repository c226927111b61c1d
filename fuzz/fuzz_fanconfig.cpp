// Fuzzes the installation loader: any bytes as fanconfig.xml must load without a memory
// error or undefined behaviour, and every panel read must be announced once.
#include "installationinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static InstallationInput input;
    input.load(data, size);
    return 0;
}
