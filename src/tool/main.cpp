#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "version") == 0) {
        std::puts("tvse-tool 0.1.0");
        return 0;
    }
    std::fputs("usage: tvse-tool version\n", stderr);
    return 1;
}
