// quorvane-cli: gives the analysis engines to scripts.
#include <cstdio>

int main(int argc, char** argv)
{
    std::fputs("quorvane-cli: no subcommands yet\n", stderr);
    return 2;
}
