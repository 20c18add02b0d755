/* The program's entry natively: the arguments are UTF-8 already. */
#include "host/system/console.h"

int main(int argc, char **argv)
{
    /* Unbuffered, so that what was printed survives a plug-in that crashes. */
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return PlughostMain(std::vector<std::string>(argv + 1, argv + argc));
}
